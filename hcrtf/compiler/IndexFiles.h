#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hcrtf/compiler/HelpProject.h"

namespace hcrtf::compiler {

// The look-up files of a help file, each built from plain lists.

struct ContextEntry {
  std::int32_t hash = 0;
  std::uint32_t offset = 0;  // TOPICOFFSET
};

struct TitleEntry {
  std::uint32_t offset = 0;  // TOPICOFFSET of the topic
  std::string title;
};

struct KeywordEntry {
  std::string keyword;
  std::uint32_t offset = 0;  // TOPICOFFSET of the topic that lists it
};

struct KeywordFiles {
  std::vector<std::uint8_t> btree;  // |KWBTREE
  std::vector<std::uint8_t> data;   // |KWDATA
  std::vector<std::uint8_t> map;    // |KWMAP
};

// |CONTEXT: hashes sorted as signed numbers, which is how viewers search it.
// The entries must have distinct hashes.
std::vector<std::uint8_t> buildContextFile(std::vector<ContextEntry> entries);

// |TTLBTREE: topic titles by ascending topic offset.
std::vector<std::uint8_t> buildTitleFile(std::vector<TitleEntry> entries);

// |KWBTREE, |KWDATA and |KWMAP. Keywords that differ only in case are one
// keyword (the first spelling is kept); a topic is listed once per keyword.
KeywordFiles buildKeywordFiles(std::vector<KeywordEntry> entries);

// |CTXOMAP: map numbers with the topic offsets they open.
std::vector<std::uint8_t> buildMapFile(const std::vector<std::pair<std::int32_t, std::uint32_t>>& entries);

// The window record of |SYSTEM.
std::vector<std::uint8_t> windowRecord(const WindowDef& window);

}  // namespace hcrtf::compiler
