#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "hcrtf/dump/PhraseTable.h"
#include "hcrtf/dump/SystemInfo.h"

namespace hcrtf::dump {

// One record of |TOPIC's chain, with its text part already expanded.
struct TopicLink {
  std::uint32_t position = 0;  // its TOPICPOS
  std::uint32_t block = 0;     // the topic block that position falls in
  std::uint8_t recordType = 0; // kRecordTopicHeader, kRecordText, ...
  std::uint32_t blockSize = 0;
  std::uint32_t dataLen2 = 0;
  std::uint32_t previous = 0;
  std::uint32_t next = 0;
  std::uint32_t dataLen1 = 0;
  std::vector<std::uint8_t> data1;  // LinkData1 after the link header
  std::string data2;                // LinkData2, phrase compression undone
  std::size_t badPhraseReferences = 0;
};

// |TOPIC as one stream of records: the blocks are unpacked (LZ77 where the
// |SYSTEM flags say so) and laid end to end, so a record that continues into
// the next block reads straight on.
class TopicStream {
 public:
  // Throws FormatError for a help-file version whose topic positions work
  // differently (3.0 files) or a block layout that cannot be unpacked.
  TopicStream(std::span<const std::uint8_t> topicFile, const SystemInfo& system);

  std::size_t blockCount() const { return blockStart_.size(); }
  std::size_t unpackedSize() const { return buffer_.size(); }

  // The record at `position`; throws FormatError when the position or the
  // record's sizes point outside the unpacked data.
  TopicLink linkAt(std::uint32_t position, const PhraseTable& phrases) const;

 private:
  std::size_t absolute(std::uint32_t position) const;

  std::vector<std::uint8_t> buffer_;
  std::vector<std::size_t> blockStart_;
  std::vector<std::size_t> blockLength_;
};

}  // namespace hcrtf::dump
