#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace hcrtf::dump {

// The look-up files that sit beside |TOPIC. Each reader throws FormatError
// when its file is damaged.

// |CONTEXT: context-string hash to topic offset, sorted by hash as signed.
struct ContextEntry {
  std::int32_t hash = 0;
  std::uint32_t offset = 0;
};
std::vector<ContextEntry> readContext(std::span<const std::uint8_t> content);

// |TTLBTREE: topic offset to title.
struct TitleEntry {
  std::uint32_t offset = 0;
  std::string title;
};
std::vector<TitleEntry> readTitles(std::span<const std::uint8_t> content);

// |xWBTREE with |xWDATA (x = K for the keyword index, A for A-footnotes...):
// each keyword with the topic offsets it leads to.
struct KeywordEntry {
  std::string keyword;
  std::vector<std::uint32_t> offsets;
};
std::vector<KeywordEntry> readKeywords(std::span<const std::uint8_t> btree,
                                       std::span<const std::uint8_t> data,
                                       const std::string& what);

// |xWMAP: the first keyword number of each leaf page.
struct KeywordMapEntry {
  std::int32_t firstKeyword = 0;
  std::uint16_t page = 0;
};
std::vector<KeywordMapEntry> readKeywordMap(std::span<const std::uint8_t> content);

// |CTXOMAP: [MAP] numbers to topic offsets.
struct MapEntry {
  std::int32_t mapId = 0;
  std::uint32_t offset = 0;
};
std::vector<MapEntry> readContextMap(std::span<const std::uint8_t> content);

}  // namespace hcrtf::dump
