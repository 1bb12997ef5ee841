#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace hcrtf {

// A half-open range [begin, end) of input byte offsets.
using ByteRange = std::pair<std::size_t, std::size_t>;

// What one call of Lz77Compressor::encode produced.
struct Lz77Segment {
  std::vector<std::uint8_t> bytes;  // the packed stream
  std::size_t consumed = 0;         // input bytes the stream decodes to
  // Offset in `bytes` of every pinned input byte the segment covers, in input
  // order; writing there changes that byte of the decoded data and nothing else.
  std::vector<std::uint32_t> pinnedAt;
};

// Encoder for the LZ77 packing of help files (the decoder is lz77Decompress).
// Match search uses hash chains over the whole window.
//
// Pinned bytes exist for data whose final value is only known after packing,
// such as the forward pointers in |TOPIC whose values depend on where the
// packed blocks end. A pinned byte is always a literal and is never the
// source of a back-reference, so its value can be patched in the packed
// stream later without changing how anything else decodes.
class Lz77Compressor {
 public:
  // `pinned` is a list of ranges inside `data`, sorted and not overlapping.
  // Both spans must outlive the compressor.
  explicit Lz77Compressor(std::span<const std::uint8_t> data,
                          std::vector<ByteRange> pinned = {});

  // Encodes input from `begin` on, never reading back before `begin` (each
  // segment decodes on its own), taking at most `maxInput` bytes and writing at
  // most `maxOutput`. Output stops early only where one more item would not
  // fit; then at most one byte of `maxOutput` is left, and only where a new
  // flag byte would be due, so padding that byte with 0 decodes to nothing.
  //
  // With `fillOutput`, back-references are given up where needed so that the
  // segment either ends at exactly `begin + maxInput` with `maxOutput` bytes
  // used, or runs out of output space before that as above. A reader that
  // decodes a whole fixed-size block therefore never sees bytes beyond the
  // segment's real data, even when the block ends in the middle of a record.
  Lz77Segment encode(std::size_t begin, std::size_t maxInput, std::size_t maxOutput,
                     bool fillOutput = false) const;

  // Number of pinned bytes in [0, offset).
  std::size_t pinnedBefore(std::size_t offset) const;
  // Index among all pinned bytes of the pinned byte at `offset`, or -1 when
  // that byte is not pinned.
  std::ptrdiff_t pinnedIndex(std::size_t offset) const;

 private:
  std::span<const std::uint8_t> data_;
  std::vector<ByteRange> pinned_;
  std::vector<std::size_t> pinnedPrefix_;  // pinned bytes before each range
};

// Packs the whole of `data` as one stream (pictures, phrase tables).
std::vector<std::uint8_t> lz77Compress(std::span<const std::uint8_t> data);

}  // namespace hcrtf
