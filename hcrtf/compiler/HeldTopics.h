#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "hcrtf/compiler/TopicRecord.h"

namespace hcrtf::compiler {

// Topic records kept back until they can be written (while the phrase
// dictionary is chosen from them), packed one after the other in one buffer:
// a few megabytes of small records then cost a few megabytes, not the
// allocations of three vectors each.
class HeldTopics {
 public:
  // `expected` is room made at the first add(), to spare regrowing.
  explicit HeldTopics(std::size_t expected = 0) : expected_(expected) {}

  // Keeps the records of one topic (their phrase-coded text is not kept).
  void add(const std::vector<TopicRecord>& records);
  bool empty() const { return bytes_.empty(); }
  // The bytes held, records and their bookkeeping together.
  std::size_t size() const { return bytes_.size(); }
  // What holding `records` would add to size().
  static std::size_t sizeOf(const std::vector<TopicRecord>& records);
  // The LinkData2 bytes held, all records together.
  std::size_t textBytes() const { return text_; }
  // Each held record's LinkData2; valid until the next add() or drain().
  std::vector<std::span<const std::uint8_t>> texts() const;
  // Hands the held topics to `take` one at a time, in order, and forgets them.
  void drain(const std::function<void(std::vector<TopicRecord>&)>& take);

 private:
  std::size_t expected_;
  std::vector<std::uint8_t> bytes_;
  std::size_t text_ = 0;
};

}  // namespace hcrtf::compiler
