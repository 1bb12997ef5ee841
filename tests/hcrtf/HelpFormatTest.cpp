// The format helpers both the compiler and the reader rely on: the context
// hash, bounded little-endian reading, compressed numbers, LZ77 and
// run-length decoding.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hcrtf/common/ByteReader.h"
#include "hcrtf/common/ByteWriter.h"
#include "hcrtf/common/FormatError.h"
#include "hcrtf/common/HelpHash.h"
#include "hcrtf/common/Lz77.h"

namespace hcrtf {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The rule viewers apply to the portable characters: letters of either case
// 17..42, '1'..'9' 1..9, '0' 10, '.' 12, '_' 13, folded with *43.
std::int32_t portableHash(const std::string& s) {
  std::uint32_t h = 0;
  for (char c : s) {
    std::uint32_t x = 0;
    if (c >= 'A' && c <= 'Z') x = static_cast<std::uint32_t>(c - 'A' + 17);
    if (c >= 'a' && c <= 'z') x = static_cast<std::uint32_t>(c - 'a' + 17);
    if (c >= '1' && c <= '9') x = static_cast<std::uint32_t>(c - '0');
    if (c == '0') x = 10;
    if (c == '.') x = 12;
    if (c == '_') x = 13;
    h = h * 43 + x;
  }
  return static_cast<std::int32_t>(h);
}

TEST(HelpHash, AgreesWithViewersOnPortableNames) {
  for (const std::string name : {"a", "Z", "contents", "IDH_GLOSSARY_CONTENTS", "topic.1_2",
                                 "0123456789", "documentID12345678", "A_very_long_context_string_x"}) {
    EXPECT_EQ(helpHash(name), portableHash(name)) << name;
    EXPECT_TRUE(isPortableContextString(name)) << name;
  }
}

TEST(HelpHash, KnownValuesFromARealHelpFile) {
  // Hashes stored in a help file written by the original compiler, with
  // names that produce them.
  EXPECT_EQ(static_cast<std::uint32_t>(helpHash("1B9K0IE")), 0x1877F9CBu);
  EXPECT_EQ(static_cast<std::uint32_t>(helpHash("4EW0.V5")), 0xA322F7C3u);
}

TEST(HelpHash, CaseFoldsEmptyIsOneAndOtherCharactersCount) {
  EXPECT_EQ(helpHash("Contents"), helpHash("cONTENTS"));
  EXPECT_EQ(helpHash(""), 1);
  // Characters outside the portable set still change the hash (a viewer
  // that skipped them would make "a-b" equal "ab").
  EXPECT_NE(helpHash("a-b"), helpHash("ab"));
  EXPECT_NE(helpHash("a b"), helpHash("ab"));
  EXPECT_FALSE(isPortableContextString("a-b"));
  EXPECT_FALSE(isPortableContextString(""));
  // High bytes take negative table entries; the sum wraps without trapping.
  const std::string high = "\xE9\xFF\x80zzzzzzzzzzzzzzzzzzzz";
  EXPECT_EQ(helpHash(high), helpHash(high));
}

TEST(ByteReader, ReadsLittleEndianAndStopsAtTheEnd) {
  const Bytes data = {0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xFF, 'h', 'i', 0, 'x'};
  ByteReader r(data, "sample");
  EXPECT_EQ(r.u16(), 0x1234);
  EXPECT_EQ(r.u32(), 0x12345678u);
  EXPECT_EQ(r.i16(), static_cast<std::int16_t>(0x68FF));
  r.seek(7);
  EXPECT_EQ(r.cString(), "hi");
  EXPECT_THROW(r.cString(), FormatError);  // "x" has no NUL
  EXPECT_THROW(r.u16(), FormatError);
  EXPECT_THROW(r.seek(data.size() + 1), FormatError);
  EXPECT_THROW(r.bytes(SIZE_MAX), FormatError);
  r.seek(data.size());
  EXPECT_TRUE(r.atEnd());
  try {
    r.u8();
    FAIL() << "read past the end";
  } catch (const FormatError& e) {
    EXPECT_NE(std::string(e.what()).find("sample"), std::string::npos);
  }
}

TEST(ByteReader, FixedStringsStopAtNulOrFieldEnd) {
  const Bytes data = {'a', 'b', 0, 'z', 'c', 'd', 'e'};
  ByteReader r(data, "fixed");
  EXPECT_EQ(r.fixedString(4), "ab");
  EXPECT_EQ(r.position(), 4u);
  EXPECT_EQ(r.fixedString(3), "cde");
}

TEST(CompressedNumbers, RoundTripAtEveryFormBoundary) {
  ByteWriter w;
  const std::vector<std::uint16_t> u16s = {0, 1, 127, 128, 0x7FFF};
  const std::vector<std::int16_t> i16s = {-0x4000, -65, -64, 0, 63, 64, 0x3FFF};
  const std::vector<std::uint32_t> u32s = {0, 0x7FFF, 0x8000, 0x7FFFFFFF};
  const std::vector<std::int32_t> i32s = {-0x40000000, -0x4001, -0x4000, 0, 0x3FFF, 0x4000, 0x3FFFFFFF};
  for (auto v : u16s) w.compressedU16(v);
  for (auto v : i16s) w.compressedI16(v);
  for (auto v : u32s) w.compressedU32(v);
  for (auto v : i32s) w.compressedI32(v);
  const Bytes bytes = w.take();
  ByteReader r(bytes, "numbers");
  for (auto v : u16s) EXPECT_EQ(r.compressedU16(), v);
  for (auto v : i16s) EXPECT_EQ(r.compressedI16(), v);
  for (auto v : u32s) EXPECT_EQ(r.compressedU32(), v);
  for (auto v : i32s) EXPECT_EQ(r.compressedI32(), v);
  EXPECT_TRUE(r.atEnd());
}

TEST(CompressedNumbers, ShortFormsTakeOneUnitAndOutOfRangeIsRefused) {
  ByteWriter w;
  w.compressedU16(127);
  EXPECT_EQ(w.size(), 1u);
  w.compressedU16(128);
  EXPECT_EQ(w.size(), 3u);
  w.compressedU32(0x7FFF);
  EXPECT_EQ(w.size(), 5u);
  EXPECT_THROW(w.compressedU16(0x8000), std::out_of_range);
  EXPECT_THROW(w.compressedI16(0x4000), std::out_of_range);
  EXPECT_THROW(w.compressedU32(0x80000000u), std::out_of_range);
  EXPECT_THROW(w.compressedI32(0x40000000), std::out_of_range);
}

TEST(ByteWriter, FixedStringsKeepATerminatingNulAndPatchesStayInside) {
  ByteWriter w;
  w.fixedString("abcdef", 4);
  w.fixedString("ab", 4);
  EXPECT_EQ(w.data(), (Bytes{'a', 'b', 'c', 0, 'a', 'b', 0, 0}));
  w.patchU16(6, 0x0102);
  EXPECT_EQ(w.data()[6], 0x02);
  EXPECT_THROW(w.patchU32(6, 1), std::out_of_range);
}

TEST(Lz77Decompress, LiteralsAndOverlappingMatches) {
  // Flag 0b0000'0010: literal 'a', then a match of distance 1, length 3+2.
  const Bytes packed = {0x02, 'a', 0x00, 0x20};
  const Bytes out = lz77Decompress(packed, 100);
  EXPECT_EQ(std::string(out.begin(), out.end()), "aaaaaa");
}

TEST(Lz77Decompress, BoundedAndTotalOnHostileStreams) {
  // Every item a maximal match: output is capped, not grown without end.
  Bytes matches(1 + 16, 0xFF);
  matches[0] = 0xFF;
  EXPECT_EQ(lz77Decompress(matches, 50).size(), 50u);
  // A reference to before the start reads zeros instead of stray memory.
  const Bytes before = {0x01, 0xFF, 0x0F};
  EXPECT_EQ(lz77Decompress(before, 100), Bytes(3, 0));
  // A match word cut off by the end of input is dropped.
  const Bytes cut = {0x02, 'q', 0x00};
  EXPECT_EQ(lz77Decompress(cut, 100), Bytes{'q'});
  // A lone trailing flag byte (block padding) adds nothing.
  const Bytes padded = {0x00, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 0x00};
  EXPECT_EQ(lz77Decompress(padded, 100).size(), 8u);
  EXPECT_TRUE(lz77Decompress({}, 100).empty());
}

TEST(RunLengthDecode, RunsCopiesAndLimits) {
  const Bytes packed = {0x03, 'x', 0x82, 'a', 'b', 0x01, 'y'};
  const Bytes out = runLengthDecode(packed, 100);
  EXPECT_EQ(std::string(out.begin(), out.end()), "xxxaby");
  EXPECT_EQ(runLengthDecode(packed, 4).size(), 4u);
  // Truncated copy and a run without its value take what exists.
  EXPECT_EQ(runLengthDecode(Bytes{0x85, 'a'}, 100), Bytes{'a'});
  EXPECT_TRUE(runLengthDecode(Bytes{0x05}, 100).empty());
}

}  // namespace
}  // namespace hcrtf
