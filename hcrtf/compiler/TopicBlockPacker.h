#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/common/Lz77Compressor.h"

namespace hcrtf::compiler {

// Cuts the topic stream (every TOPICLINK record, one after the other) into
// the blocks of the |TOPIC file, each a block header and then the block's
// data, LZ77-packed or stored.
//
// Stored, a block holds kDataSize bytes of the stream. Packed, a block holds
// what packs into kDataSize bytes, but never more than a block may unpack to;
// a record's TOPICPOS counts from the start of its unpacked block, so where
// a record lands depends on how well everything before it packs. And
// records hold such addresses of later records. The writer therefore lays
// the stream out with placeholders, pins the bytes that will hold addresses
// (they are packed as plain literals, see Lz77Compressor), learns the layout
// here, and then patches the real values in.
//
// Packed blocks other than the last are filled exactly (see
// Lz77Compressor::encode with fillOutput), because some viewers unpack all
// blocks into one buffer and a record may run on from one block into the next.
class TopicBlockPacker {
 public:
  static constexpr std::size_t kDataSize = kTopicBlockSize - kTopicBlockHeaderSize;

  // `pinned` lists the ranges of `stream` that may be patched later; they
  // must be sorted and disjoint. Without `compress` every byte may be patched.
  // A packed block never ends inside one of the sorted `unsplittable` ranges
  // (the fixed part of each record) unless the range starts the block; such a
  // block ends early instead, before the range.
  TopicBlockPacker(std::vector<std::uint8_t> stream, std::vector<ByteRange> pinned, bool compress,
                   std::vector<ByteRange> unsplittable = {});
  TopicBlockPacker(const TopicBlockPacker&) = delete;
  TopicBlockPacker& operator=(const TopicBlockPacker&) = delete;

  bool compressed() const { return compress_; }
  std::size_t blockCount() const { return blockStart_.size(); }
  // The block whose data holds stream byte `offset` (the last block for the
  // end of the stream).
  std::size_t blockOf(std::size_t offset) const;
  // The stream offset at which block `block` begins.
  std::size_t blockStart(std::size_t block) const { return blockStart_.at(block); }
  // The address viewers use for the record at stream `offset`.
  std::uint32_t topicPos(std::size_t offset) const;

  // Overwrites stream bytes, in the stream and in the packed blocks. Throws
  // std::out_of_range outside the stream and std::invalid_argument for a
  // packed byte that was not pinned.
  void patch(std::size_t offset, std::span<const std::uint8_t> bytes);
  void patchU32(std::size_t offset, std::uint32_t value);

  // The three addresses at the start of block `block`.
  void setBlockHeader(std::size_t block, std::uint32_t lastTopicLink, std::uint32_t firstTopicLink,
                      std::uint32_t lastTopicHeader);

  // The stream as it stands, patches included.
  const std::vector<std::uint8_t>& stream() const { return stream_; }
  // The content of the |TOPIC internal file.
  const std::vector<std::uint8_t>& file() const { return file_; }

 private:
  void layOutStored();
  void layOutPacked();
  // The start of the unsplittable range that `end` would cut, or `end`.
  std::size_t cutPoint(std::size_t blockBegin, std::size_t end) const;

  std::vector<std::uint8_t> stream_;
  bool compress_;
  Lz77Compressor compressor_;
  std::vector<ByteRange> unsplittable_;
  std::vector<std::size_t> blockStart_;
  std::vector<std::uint32_t> pinnedFilePos_;  // per pinned byte, its place in file_
  std::vector<std::uint8_t> file_;
};

}  // namespace hcrtf::compiler
