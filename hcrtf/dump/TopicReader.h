#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "hcrtf/dump/PhraseTable.h"
#include "hcrtf/dump/SystemInfo.h"

namespace hcrtf {

// A topic as the dump shows it: its header fields and its records rendered
// to lines (see RecordRenderer).
struct Topic {
  std::uint32_t position = 0;  // TOPICPOS of its header record
  std::uint32_t offset = 0;    // TOPICOFFSET: what |CONTEXT and jumps point at
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

  // The topic an offset falls in: the last one starting at or before it.
  const Topic* topicAt(std::uint32_t offset) const;

  // Throws FormatError only when |TOPIC cannot be read at all.
  static TopicList read(std::span<const std::uint8_t> topicFile, const SystemInfo& system,
                        const PhraseTable& phrases,
                        const std::map<std::int32_t, std::string>& names);
};

}  // namespace hcrtf
