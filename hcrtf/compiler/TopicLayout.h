#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "hcrtf/compiler/TopicRecord.h"

namespace hcrtf::compiler {

class TopicBlockPacker;

// One block of the |TOPIC file: its 12-byte header and the record bytes it
// holds (before any compression).
struct TopicBlock {
  std::uint32_t lastTopicLink = 0xFFFFFFFF;    // last record started in an earlier block
  std::uint32_t firstTopicLink = 0xFFFFFFFF;   // first record starting in this block
  std::uint32_t lastTopicHeader = 0xFFFFFFFF;  // last topic header started before this block
  std::vector<std::uint8_t> data;
};

// Places the records of |TOPIC into blocks and works out the two kinds of
// address the rest of the file uses:
//  - a TOPICPOS names a record: block * 0x4000 + 12 + byte offset in the
//    block's data (the same form whether or not blocks are compressed);
//  - a TOPICOFFSET names a text position: block * 0x8000 + the characters
//    of text records that started earlier in the same block.
// A record's 21-byte link header and LinkData1 never straddle two blocks; its
// text may. Laying out and serialising are separate steps so that a
// compressing serialiser can take the blocks instead.
class TopicLayout {
 public:
  // `blockData` is the room for records in one block: 4096 - 12 when blocks
  // are stored as they are.
  explicit TopicLayout(std::size_t blockData = 4096 - 12) : capacity_(blockData) {}

  void layout(const std::vector<TopicRecord>& records);
  std::uint32_t position(std::size_t record) const { return positions_.at(record); }
  std::uint32_t offset(std::size_t record) const { return offsets_.at(record); }

  // The blocks holding `records` (which must be the laid-out ones, with
  // their headers final).
  std::vector<TopicBlock> blocks(const std::vector<TopicRecord>& records) const;

  // Uncompressed |TOPIC: every block written whole (4096 bytes), so a viewer
  // that reads block by block never runs off the end of the file.
  static std::vector<std::uint8_t> serializeUncompressed(const std::vector<TopicBlock>& blocks, std::size_t blockSize = 4096);

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
