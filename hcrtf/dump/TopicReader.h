#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "hcrtf/dump/PhraseTable.h"
#include "hcrtf/dump/SystemInfo.h"

namespace hcrtf::dump {

// A topic as the dump shows it: its header fields and its records rendered
// to lines (see RecordRenderer).
struct Topic {
  std::uint32_t position = 0;  // TOPICPOS of its header record
  // Two TOPICOFFSETs: `offset` counts from the block the header lies in (what
  // |TTLBTREE lists); `textOffset` from the block its first text lies in
  // (what |CONTEXT, keywords and [MAP] point at). They differ when the header
  // is the last record of a block.
  std::uint32_t offset = 0;
  std::uint32_t textOffset = 0;
  std::string title;
  std::vector<std::string> macros;
  std::uint32_t browseBack = 0;
  std::uint32_t browseForward = 0;
  std::uint32_t number = 0;
  std::uint32_t nonScroll = 0;
  std::uint32_t scroll = 0;
  std::uint32_t nextTopic = 0;
  std::vector<std::string> lines;
};

// All topics of |TOPIC in file order. Reading goes on past a damaged record
// where the chain allows; what went wrong is kept in `problems`.
struct TopicList {
  std::vector<Topic> topics;
  std::vector<std::string> problems;
  std::set<std::uint16_t> pictures;  // |bmN numbers the text refers to
  std::size_t records = 0;
  std::size_t blocks = 0;
  bool offsetsAscending = false;  // set by read(); lets topicAt search fast

  // The topic an offset falls in: the last one whose `offset` is at or
  // before it.
  const Topic* topicAt(std::uint32_t offset) const;

  // Throws FormatError only when |TOPIC cannot be read at all.
  static TopicList read(std::span<const std::uint8_t> topicFile, const SystemInfo& system,
                        const PhraseTable& phrases,
                        const std::map<std::int32_t, std::string>& names);
};

}  // namespace hcrtf::dump
