#include "hcrtf/compiler/TopicBlockPacker.h"
#include "hcrtf/common/Lz77.h"

#include <gtest/gtest.h>

#include <random>

namespace hcrtf::compiler {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Packer = TopicBlockPacker;

// A stream with stretches that pack 2:1, stretches of zeros that pack far
// better than 4:1 (so blocks reach 16 KiB of data first) and noise.
Bytes mixedStream() {
  std::mt19937 rng(3);
  Bytes s;
  const std::string text = "{\\b Topic} text with \\par repeated words and words ";
  for (int part = 0; part < 12; ++part) {
    const std::size_t n = 9000 + rng() % 9000;
    for (std::size_t i = 0; i < n; ++i) {
      switch (part % 3) {
        case 0: s.push_back(static_cast<std::uint8_t>(text[(i * 7 + rng() % 3) % text.size()])); break;
        case 1: s.push_back(0); break;
        default: s.push_back(static_cast<std::uint8_t>(rng())); break;
      }
    }
  }
  return s;
}

// Pins 4-byte fields every 97 bytes, like the link fields of records.
std::vector<ByteRange> fieldsEvery97(std::size_t size) {
  std::vector<ByteRange> r;
  for (std::size_t at = 5; at + 4 <= size; at += 97) r.emplace_back(at, at + 4);
  return r;
}

// Unpacks every block the way a viewer that decodes the whole |TOPIC into one
// buffer does, and checks each block on its own against the stream.
Bytes unpackAll(const Packer& p) {
  Bytes all;
  const Bytes& f = p.file();
  for (std::size_t b = 0; b < p.blockCount(); ++b) {
    const std::size_t begin = b * kTopicBlockSize + kTopicBlockHeaderSize;
    const std::size_t end = std::min(f.size(), (b + 1) * kTopicBlockSize);
    const Bytes block = lz77Decompress(std::span(f).subspan(begin, end - begin), 1 << 20);
    const bool last = b + 1 == p.blockCount();
    if (!last) {
      EXPECT_LE(block.size(), kTopicBlockMaxUnpacked) << "block " << b;
      EXPECT_EQ(p.blockStart(b + 1) - p.blockStart(b), block.size()) << "block " << b;
    }
    all.insert(all.end(), block.begin(), block.end());
  }
  return all;
}

TEST(TopicBlockPacker, PackedBlocksUnpackToTheStreamAndPatchesLand) {
  const Bytes stream = mixedStream();
  const auto pinned = fieldsEvery97(stream.size());
  Packer p(stream, pinned, true);
  ASSERT_GT(p.blockCount(), 5u);
  EXPECT_LT(p.file().size(), stream.size() * 3 / 4);
  EXPECT_EQ(p.file().size() % kTopicBlockSize == 0 || p.file().size() % kTopicBlockSize >= 0x44, true);

  Bytes expected = stream;
  std::uint32_t k = 0;
  for (const auto& [b, e] : pinned) {
    p.patchU32(b, 0xC0DE0000u + k);
    for (std::size_t i = 0; i < 4; ++i) expected[b + i] = static_cast<std::uint8_t>((0xC0DE0000u + k) >> (8 * i));
    ++k;
  }
  EXPECT_EQ(p.stream(), expected);
  Bytes all = unpackAll(p);
  ASSERT_GE(all.size(), expected.size());
  // The last block may decode padding; nothing else may differ.
  EXPECT_TRUE(std::all_of(all.begin() + static_cast<std::ptrdiff_t>(expected.size()), all.end(),
                          [](std::uint8_t c) { return c == 0; }));
  all.resize(expected.size());
  EXPECT_EQ(all, expected);
  EXPECT_THROW(p.patchU32(0, 1), std::invalid_argument);
  EXPECT_THROW(p.patchU32(stream.size() - 2, 1), std::out_of_range);
}

TEST(TopicBlockPacker, BlocksNeverCutARecordsFixedPart) {
  const Bytes stream = mixedStream();
  // "Records" of 700 bytes whose first 300 bytes may not be split.
  std::vector<ByteRange> fixedParts;
  for (std::size_t at = 0; at + 300 <= stream.size(); at += 700) fixedParts.emplace_back(at, at + 300);
  Packer p(stream, {}, true, fixedParts);
  ASSERT_GT(p.blockCount(), 5u);
  for (std::size_t b = 1; b < p.blockCount(); ++b) {
    const std::size_t cut = p.blockStart(b);
    for (const auto& [first, end] : fixedParts) {
      EXPECT_FALSE(first < cut && cut < end) << "block " << b << " starts inside [" << first << ", " << end << ")";
    }
  }
  // Blocks that end early are padded; a reader skips to the next block there.
  Bytes joined;
  for (std::size_t b = 0; b < p.blockCount(); ++b) {
    const std::size_t end = b + 1 < p.blockCount() ? p.blockStart(b + 1) : stream.size();
    const std::size_t begin = b * kTopicBlockSize + kTopicBlockHeaderSize;
    const Bytes block = lz77Decompress(std::span(p.file()).subspan(begin, std::min(p.file().size(), begin + Packer::kDataSize) - begin), 1 << 20);
    ASSERT_GE(block.size(), end - p.blockStart(b));
    joined.insert(joined.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(end - p.blockStart(b)));
  }
  EXPECT_EQ(joined, stream);
}

TEST(TopicBlockPacker, AddressesFollowTheBlocks) {
  const Bytes stream = mixedStream();
  for (bool compress : {false, true}) {
    Packer p(stream, {}, compress);
    EXPECT_EQ(p.topicPos(0), 12u);
    for (std::size_t b = 1; b < p.blockCount(); ++b) {
      const std::size_t start = p.blockStart(b);
      EXPECT_EQ(p.topicPos(start), b * 0x4000 + 12) << compress;
      EXPECT_EQ(p.topicPos(start - 1), (b - 1) * 0x4000 + 12 + (start - 1 - p.blockStart(b - 1)));
      EXPECT_EQ(p.blockOf(start), b);
    }
    if (!compress) {
      EXPECT_EQ(p.blockStart(1), Packer::kDataSize);
      EXPECT_EQ(p.file().size() % kTopicBlockSize, 0u);
    }
  }
}

TEST(TopicBlockPacker, StoredBlocksCopyTheStreamAndTakeAnyPatch) {
  Bytes stream(10000);
  for (std::size_t i = 0; i < stream.size(); ++i) stream[i] = static_cast<std::uint8_t>(i * 13);
  Packer p(stream, {}, false);
  ASSERT_EQ(p.blockCount(), 3u);
  p.patchU32(Packer::kDataSize - 2, 0x11223344);  // straddles two blocks
  p.setBlockHeader(1, 1, 2, 3);
  const Bytes& f = p.file();
  EXPECT_EQ(f[kTopicBlockSize - 2], 0x44);
  EXPECT_EQ(f[kTopicBlockSize - 1], 0x33);
  EXPECT_EQ(f[kTopicBlockSize + 12], 0x22);
  EXPECT_EQ(f[kTopicBlockSize + 4], 2);
  EXPECT_EQ(f[2 * kTopicBlockSize + 12], stream[2 * Packer::kDataSize]);
  EXPECT_THROW(p.setBlockHeader(3, 0, 0, 0), std::out_of_range);
}

TEST(TopicBlockPacker, SmallAndEmptyStreamsMakeOneBlock) {
  for (bool compress : {false, true}) {
    Packer empty({}, {}, compress);
    EXPECT_EQ(empty.blockCount(), 1u);
    Packer tiny(Bytes(10, 7), {}, compress);
    EXPECT_EQ(tiny.blockCount(), 1u);
    EXPECT_GE(tiny.file().size(), 0x44u);
  }
}

}  // namespace
}  // namespace hcrtf::compiler
