#include "hcrtf/compiler/BmpFile.h"

#include <gtest/gtest.h>

#include "BmpTestFiles.h"

namespace hcrtf::compiler {
namespace {

using namespace hcrtf::testing;

std::uint32_t pattern(int x, int y, int bitCount) {
  const std::uint32_t v = static_cast<std::uint32_t>(x * 7 + y * 3);
  return bitCount >= 24 ? (v * 0x010305u) & 0xFFFFFF : v % (1u << bitCount);
}

TEST(BmpFile, ReadsEveryUncompressedDepth) {
  for (int bits : {1, 4, 8, 24, 32}) {
    const int w = 13, h = 5;  // odd width: rows need padding
    const auto palette = bits <= 8 ? greyPalette(1 << bits) : std::vector<PaletteEntry>{};
    const DibImage img = BmpFile::parse(
        bmpFile(w, h, bits, 0, palette, rows(w, h, bits, [&](int x, int y) { return pattern(x, y, bits); })));
    ASSERT_EQ(img.width, w);
    ASSERT_EQ(img.height, h);
    EXPECT_EQ(img.bitCount, bits == 32 ? 24 : bits);
    EXPECT_EQ(img.palette, palette);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) ASSERT_EQ(img.pixel(x, y), pattern(x, y, bits)) << bits << " bits at " << x << "," << y;
    }
  }
}

TEST(BmpFile, TurnsTopDownPicturesBottomUp) {
  const Bytes bottomUp = rows(4, 3, 8, [](int x, int y) { return static_cast<std::uint32_t>(x + 10 * y); });
  // The same rows in the other order, declared with a negative height.
  Bytes topDown;
  for (int r = 2; r >= 0; --r) topDown.insert(topDown.end(), bottomUp.begin() + r * 4, bottomUp.begin() + r * 4 + 4);
  const DibImage img = BmpFile::parse(bmpFile(4, -3, 8, 0, greyPalette(256), topDown));
  EXPECT_EQ(img.height, 3);
  EXPECT_EQ(img.pixel(3, 0), 3u);
  EXPECT_EQ(img.pixel(1, 2), 21u);
}

TEST(BmpFile, ReadsBitFieldPicturesOnlyInTheUsualLayout) {
  auto withMasks = [](std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    Bytes data;
    putLe(data, r, 4);
    putLe(data, g, 4);
    putLe(data, b, 4);
    const Bytes px = rows(2, 1, 32, [](int x, int) { return x ? 0x123456u : 0xABCDEFu; });
    data.insert(data.end(), px.begin(), px.end());
    Bytes file = bmpFile(2, 1, 32, 3, {}, data);
    file[10] = static_cast<std::uint8_t>(file[10] + 12);  // pixels start after the masks
    return file;
  };
  const DibImage img = BmpFile::parse(withMasks(0xFF0000, 0xFF00, 0xFF));
  EXPECT_EQ(img.bitCount, 24);
  EXPECT_EQ(img.pixel(0, 0), 0xABCDEFu);
  EXPECT_EQ(img.pixel(1, 0), 0x123456u);
  EXPECT_THROW(BmpFile::parse(withMasks(0xFF, 0xFF00, 0xFF0000)), BmpError);
}

TEST(BmpFile, DecodesRunLengthEncodedPictures) {
  // 8 bits, 6 x 3: a run, an odd-length literal (padded), end of line, a
  // delta that skips pixels (left 0), end of bitmap.
  const Bytes rle8 = {3, 9, 0, 3, 1, 2, 3, 0, /*pad*/ 0, 0,  // row 0 (bottom): 9 9 9 1 2 3
                      0, 2, 2, 0,                            // skip to x=2 of row 1
                      2, 7, 0, 1};                           // row 1: . . 7 7
  const DibImage a = BmpFile::parse(bmpFile(6, 3, 8, 1, greyPalette(256), rle8));
  const std::vector<std::uint32_t> bottom = {9, 9, 9, 1, 2, 3};
  for (int x = 0; x < 6; ++x) EXPECT_EQ(a.pixel(x, 2), bottom[x]);
  EXPECT_EQ(a.pixel(1, 1), 0u);
  EXPECT_EQ(a.pixel(2, 1), 7u);
  EXPECT_EQ(a.pixel(3, 1), 7u);
  EXPECT_EQ(a.pixel(0, 0), 0u);

  // 4 bits: a run alternates two colours; a literal of 3 nibbles takes 2
  // bytes, padded to 2.
  const Bytes rle4 = {5, 0x12, 0, 3, 0x45, 0x60, 0, 0, 0, 1};
  const DibImage b = BmpFile::parse(bmpFile(8, 2, 4, 2, greyPalette(16), rle4));
  const std::vector<std::uint32_t> row = {1, 2, 1, 2, 1, 4, 5, 6};
  for (int x = 0; x < 8; ++x) EXPECT_EQ(b.pixel(x, 1), row[x]) << x;
}

TEST(BmpFile, ExplainsWhatIsWrongWithBrokenFiles) {
  const auto pal = greyPalette(256);
  const Bytes good = bmpFile(4, 4, 8, 0, pal, Bytes(16, 1));
  auto messageOf = [](const Bytes& b) {
    try {
      BmpFile::parse(b);
    } catch (const BmpError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  Bytes notBmp = good;
  notBmp[0] = 'X';
  Bytes planes = good;
  planes[26] = 2;
  EXPECT_EQ(messageOf({}), "file too short for a bitmap header");
  EXPECT_EQ(messageOf(notBmp), "not a Windows bitmap (no \"BM\" signature)");
  EXPECT_EQ(messageOf(planes), "bitmap has 2 planes, expected 1");
  EXPECT_EQ(messageOf(bmpFile(4, 4, 16, 0, {}, Bytes(32, 0))), "16 bits per pixel is not supported");
  EXPECT_EQ(messageOf(bmpFile(4, 4, 8, 2, pal, Bytes(16, 0))),
            "compression method 2 with 8 bits per pixel is not supported");
  EXPECT_EQ(messageOf(bmpFile(4, 4, 8, 0, pal, Bytes(10, 0))), "pixel data truncated");
  EXPECT_EQ(messageOf(bmpFile(0, 4, 8, 0, pal, Bytes(16, 0))), "bitmap has no pixels (0 x 4)");
  EXPECT_EQ(messageOf(bmpFile(40000, 1, 8, 0, pal, Bytes(16, 0))), "bitmap too large (40000 x 1)");
  EXPECT_EQ(messageOf(bmpFile(4, 4, 8, 1, pal, Bytes{5, 1, 0, 1})), "run-length data runs outside the bitmap");
  EXPECT_EQ(messageOf(bmpFile(4, 4, 8, 1, pal, Bytes{2, 1})), "run-length data ends without an end-of-bitmap mark");
  EXPECT_EQ(messageOf(bmpFile(4, 4, 8, 1, pal, Bytes{0, 2, 0, 9, 1, 1, 0, 1})),
            "run-length data runs outside the bitmap");
}

TEST(BmpFile, EveryTruncationIsAnErrorNotACrash) {
  const Bytes full = bmpFile(9, 7, 4, 2, greyPalette(16), Bytes{9, 0x12, 0, 0, 0, 5, 0x12, 0x34, 0x50, 0, 0, 1});
  for (std::size_t n = 0; n < full.size(); ++n) {
    const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THROW(BmpFile::parse(cut), BmpError) << n;
  }
  EXPECT_NO_THROW(BmpFile::parse(full));
  EXPECT_THROW(BmpFile::read("/nonexistent/picture.bmp"), BmpError);
}

}  // namespace
}  // namespace hcrtf::compiler
