#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/compiler/TopicRecord.h"

namespace hcrtf::compiler {

class TopicBlockPacker;

// One block of the |TOPIC file: its header and the record bytes it holds
// (before any compression).
struct TopicBlock {
  std::uint32_t lastTopicLink = kNoTopic;
  std::uint32_t firstTopicLink = kNoTopic;
  std::uint32_t lastTopicHeader = kNoTopic;
  std::vector<std::uint8_t> data;
};

// Places the records of |TOPIC into blocks and works out the two kinds of
// address the rest of the file uses, the TOPICPOS of each record and the
// TOPICOFFSET of its text. A record's link header and LinkData1 never
// straddle two blocks; its text may. Laying out and serialising are separate
// steps so that a compressing serialiser can take the blocks instead.
class TopicLayout {
 public:
  // `blockData` is the room for records in one block: all but the block
  // header when blocks are stored as they are.
  explicit TopicLayout(std::size_t blockData = kTopicBlockSize - kTopicBlockHeaderSize) : capacity_(blockData) {}

  void layout(const std::vector<TopicRecord>& records);
  std::uint32_t position(std::size_t record) const { return positions_.at(record); }
  std::uint32_t offset(std::size_t record) const { return offsets_.at(record); }

  // The blocks holding `records` (which must be the laid-out ones, with
  // their headers final).
  std::vector<TopicBlock> blocks(const std::vector<TopicRecord>& records) const;

  // Uncompressed |TOPIC: every block written whole, so a viewer that reads
  // block by block never runs off the end of the file.
  static std::vector<std::uint8_t> serializeUncompressed(const std::vector<TopicBlock>& blocks,
                                                         std::size_t blockSize = kTopicBlockSize);

  // The same for LZ77-packed blocks, where a block holds as much as packs
  // into it: layoutPacked packs the records with their link fields and topic
  // header data as placeholders (kept patchable), and serializePacked, given
  // the same records with final topic headers, patches them in and returns
  // the |TOPIC file.
  void layoutPacked(const std::vector<TopicRecord>& records);
  std::vector<std::uint8_t> serializePacked(const std::vector<TopicRecord>& records);

 private:
  std::size_t capacity_;
  std::vector<std::uint32_t> positions_;
  std::vector<std::uint32_t> offsets_;
  std::vector<std::size_t> starts_;             // packed: each record's place in the stream
  std::shared_ptr<TopicBlockPacker> packer_;    // packed: the blocks
};

}  // namespace hcrtf::compiler
