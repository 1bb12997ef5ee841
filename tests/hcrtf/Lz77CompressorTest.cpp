#include "hcrtf/common/Lz77.h"
#include "hcrtf/common/Lz77Compressor.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace hcrtf {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes randomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes out(n);
  for (auto& b : out) b = static_cast<std::uint8_t>(rng());
  return out;
}

// Words drawn from a small vocabulary: compresses the way topic text does.
Bytes wordySample(std::size_t n, unsigned seed) {
  static const char* const kWords[] = {"the ", "help ", "topic ", "compiler ", "writes ",
                                       "\\par ", "{\\b bold} ", "window ", "jump ", "a "};
  std::mt19937 rng(seed);
  Bytes out;
  while (out.size() < n) {
    const std::string w = kWords[rng() % 10];
    out.insert(out.end(), w.begin(), w.end());
  }
  out.resize(n);
  return out;
}

Bytes decode(const Bytes& packed, std::size_t max = 1 << 24) { return lz77Decompress(packed, max); }

TEST(Lz77Compressor, RoundTripsAssortedInputs) {
  const std::vector<Bytes> inputs = {
      {},
      {0x41},
      Bytes(3, 7),
      Bytes(100000, 0),           // long runs: overlapping back-references
      randomBytes(20000, 1),      // nothing to find
      wordySample(50000, 2),      // beyond the 4 KiB window
      Bytes{1, 2, 3, 1, 2, 3, 1, 2},
  };
  for (const Bytes& in : inputs) {
    const Bytes packed = lz77Compress(in);
    EXPECT_EQ(decode(packed), in) << "input of " << in.size() << " bytes";
  }
}

TEST(Lz77Compressor, PacksRedundantDataWellAndNoiseAtModestCost) {
  const Bytes text = wordySample(64000, 3);
  EXPECT_LT(lz77Compress(text).size(), text.size() / 3);
  const Bytes noise = randomBytes(8000, 4);
  // Every literal costs one byte plus one flag bit.
  EXPECT_LE(lz77Compress(noise).size(), noise.size() + noise.size() / 8 + 1);
}

TEST(Lz77Compressor, PinnedBytesCanBePatchedAfterPacking) {
  // Repetitive data, so that without pinning the pinned places would be
  // covered by back-references or used as their sources.
  Bytes data = wordySample(30000, 5);
  const std::vector<ByteRange> pinned = {{0, 4}, {100, 108}, {4095, 4101}, {29990, 30000}};
  const Lz77Compressor compressor(data, pinned);
  Lz77Segment seg = compressor.encode(0, data.size(), static_cast<std::size_t>(-1));
  ASSERT_EQ(seg.consumed, data.size());
  ASSERT_EQ(seg.pinnedAt.size(), 4u + 8u + 6u + 10u);

  Bytes expected = data;
  std::size_t k = 0;
  for (const auto& [b, e] : pinned) {
    for (std::size_t i = b; i < e; ++i, ++k) {
      const auto value = static_cast<std::uint8_t>(0xA5 ^ i);
      expected[i] = value;
      seg.bytes[seg.pinnedAt[k]] = value;
    }
  }
  EXPECT_EQ(decode(seg.bytes), expected);
  EXPECT_EQ(compressor.pinnedIndex(100), 4);
  EXPECT_EQ(compressor.pinnedIndex(4100), 4 + 8 + 5);
  EXPECT_EQ(compressor.pinnedIndex(99), -1);
  EXPECT_EQ(compressor.pinnedBefore(30000), 28u);
}

TEST(Lz77Compressor, RejectsUnsortedOrOutOfRangePins) {
  const Bytes data(50, 1);
  EXPECT_THROW(Lz77Compressor(data, {{10, 20}, {15, 25}}), std::invalid_argument);
  EXPECT_THROW(Lz77Compressor(data, {{40, 60}}), std::invalid_argument);
  EXPECT_THROW(Lz77Compressor(data, {{20, 10}}), std::invalid_argument);
}

// A segment stands alone: it decodes without the bytes before it, it never
// exceeds its output budget, and when it stops short of its input budget the
// budget is used up but for at most one byte that decodes to nothing.
void expectSegmentSound(const Bytes& data, std::size_t begin, std::size_t maxInput,
                        std::size_t maxOutput, bool fill) {
  const Lz77Compressor compressor(data);
  const Lz77Segment seg = compressor.encode(begin, maxInput, maxOutput, fill);
  ASSERT_LE(seg.bytes.size(), maxOutput);
  Bytes padded = seg.bytes;
  padded.resize(maxOutput, 0);
  const Bytes want(data.begin() + static_cast<std::ptrdiff_t>(begin),
                   data.begin() + static_cast<std::ptrdiff_t>(begin + seg.consumed));
  if (seg.consumed < std::min(maxInput, data.size() - begin) || fill) {
    // The block is decoded whole, padding included.
    EXPECT_EQ(decode(padded), want) << "begin " << begin << " fill " << fill;
    EXPECT_GE(seg.bytes.size() + 1, maxOutput);
  } else {
    EXPECT_EQ(decode(seg.bytes), want);
  }
}

TEST(Lz77Compressor, SegmentsFitTheirBudgets) {
  const Bytes text = wordySample(100000, 6);
  const Bytes noise = randomBytes(40000, 7);
  const Bytes zeros(100000, 0);
  for (std::size_t begin : {0u, 777u, 20000u}) {
    expectSegmentSound(text, begin, 16384, 4084, false);
    expectSegmentSound(noise, begin, 16384, 4084, false);
    expectSegmentSound(zeros, begin, 16384, 4084, false);
  }
  // Budgets that end in every position of a flag group.
  for (std::size_t out = 100; out < 118; ++out) expectSegmentSound(noise, 5, 16384, out, false);
}

TEST(Lz77Compressor, FilledSegmentsEndExactlyAtTheirInputBudget) {
  // Data that packs better than 4:1 would leave a 4084-byte block part empty
  // at 16 KiB of input; filling gives up matches instead.
  const Bytes zeros(100000, 0);
  const Bytes text = wordySample(100000, 8);
  for (const Bytes* data : {&zeros, &text}) {
    const Lz77Compressor compressor(*data);
    const Lz77Segment seg = compressor.encode(1000, 16384, 4084, true);
    if (seg.consumed == 16384) {
      EXPECT_GE(seg.bytes.size() + 1, 4084u);
    }
    expectSegmentSound(*data, 1000, 16384, 4084, true);
  }
  const Lz77Segment zeroSeg = Lz77Compressor(zeros).encode(0, 16384, 4084, true);
  EXPECT_EQ(zeroSeg.consumed, 16384u);
}

}  // namespace
}  // namespace hcrtf
