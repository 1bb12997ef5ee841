#include "hcrtf/compiler/HelpPicture.h"
#include "hcrtf/compiler/PictureStore.h"
#include "hcrtf/common/Lz77.h"
#include "hcrtf/dump/Picture.h"

#include <gtest/gtest.h>

#include <random>

#include "BmpTestFiles.h"

#include "../support/TempDirectory.h"

namespace hcrtf::compiler {
namespace {

using namespace hcrtf::testing;
using dump::Picture;
using dump::PictureImage;

std::uint32_t colourOf(const DibImage& img, int x, int y) {
  const std::uint32_t v = img.pixel(x, y);
  if (img.bitCount == 24) return v;
  const PaletteEntry& c = img.palette.at(v);
  return (std::uint32_t{c.red} << 16) | (std::uint32_t{c.green} << 8) | c.blue;
}

// What a reader of the help file sees, pixel for pixel.
void expectSamePixels(const DibImage& img, const std::vector<std::uint8_t>& built) {
  const Picture pic = Picture::parse(built, "|bm0");
  ASSERT_EQ(pic.magic, 0x506C);
  ASSERT_EQ(pic.images.size(), 1u);
  const PictureImage& im = pic.images[0];
  EXPECT_EQ(im.type, 6);
  EXPECT_EQ(im.xDpi, 96u);
  ASSERT_EQ(im.width, static_cast<std::uint32_t>(img.width));
  ASSERT_EQ(im.height, static_cast<std::uint32_t>(img.height));
  ASSERT_EQ(im.pixels.size(), static_cast<std::size_t>(img.width) * img.height);
  for (int y = 0; y < img.height; ++y) {
    for (int x = 0; x < img.width; ++x) {
      ASSERT_EQ(im.pixels[static_cast<std::size_t>(y) * img.width + x], colourOf(img, x, y))
          << img.bitCount << " bits at " << x << "," << y;
    }
  }
}

DibImage picture(int w, int h, int bits, const std::function<std::uint32_t(int, int)>& value) {
  const auto palette = bits <= 8 ? greyPalette(1 << bits) : std::vector<PaletteEntry>{};
  return BmpFile::parse(bmpFile(w, h, bits, 0, palette, rows(w, h, bits, value)));
}

TEST(HelpPicture, EveryDepthDecodesBackToItsPixels) {
  std::mt19937 rng(11);
  for (int bits : {1, 4, 8, 24}) {
    const std::uint32_t mask = bits == 24 ? 0xFFFFFF : (1u << bits) - 1;
    // Noise stores best unpacked, stripes and flat areas packed.
    const DibImage noise = picture(37, 11, bits, [&](int, int) { return rng() & mask; });
    const DibImage stripes = picture(64, 40, bits, [&](int x, int) { return (x / 5) & mask; });
    const DibImage flat = picture(300, 200, bits, [](int, int) { return 1u; });
    for (const DibImage* img : {&noise, &stripes, &flat}) {
      expectSamePixels(*img, HelpPicture::build(*img, false));
    }
    EXPECT_NE(HelpPicture::packingOf(HelpPicture::build(flat, false)), PicturePacking::None);
    EXPECT_LT(HelpPicture::build(flat, false).size(), flat.pixels.size() / 8);
  }
  const DibImage noise = picture(64, 64, 8, [&](int, int) { return rng() & 0xFF; });
  EXPECT_EQ(HelpPicture::packingOf(HelpPicture::build(noise, false)), PicturePacking::None);
}

TEST(HelpPicture, TransparentPicturesKeepTheirColoursWithWhiteLast) {
  std::vector<PaletteEntry> palette = {{255, 255, 255}, {255, 0, 0}, {0, 0, 255}, {0, 0, 0}};
  const DibImage img = BmpFile::parse(
      bmpFile(5, 3, 4, 0, palette, rows(5, 3, 4, [](int x, int y) { return static_cast<std::uint32_t>((x + y) % 4); })));
  const auto built = HelpPicture::build(img, true);
  expectSamePixels(img, built);
  const PictureImage im = Picture::parse(built, "|bm0").images[0];
  EXPECT_EQ(im.coloursImportant, 1u);
  EXPECT_EQ(im.palette.back(), 0xFFFFFFu);

  const DibImage rgb = picture(3, 3, 24, [](int, int) { return 0xFFFFFFu; });
  EXPECT_EQ(Picture::parse(HelpPicture::build(rgb, true), "|bm1").images[0].coloursImportant, 0u);
  const DibImage noWhite = picture(3, 3, 1, [](int x, int) { return x % 2u; });
  EXPECT_EQ(Picture::parse(HelpPicture::build(noWhite, false), "|bm2").images[0].coloursImportant, 0u);
}

TEST(HelpPicture, RunLengthPackingRoundTrips) {
  std::vector<std::vector<std::uint8_t>> inputs = {{}, {1}, {1, 1}, {1, 1, 1}, {1, 2, 1, 2}};
  inputs.push_back(std::vector<std::uint8_t>(127, 4));
  inputs.push_back(std::vector<std::uint8_t>(128, 4));
  inputs.push_back(std::vector<std::uint8_t>(1000, 4));
  std::vector<std::uint8_t> mixed;
  for (int i = 0; i < 600; ++i) mixed.push_back(static_cast<std::uint8_t>(i % 7 < 3 ? 0 : i));
  inputs.push_back(mixed);
  for (const auto& in : inputs) {
    EXPECT_EQ(runLengthDecode(HelpPicture::runLengthEncode(in), 1 << 20), in) << in.size();
  }
}

class PictureStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(root_ / "art" / "Icons");
    std::filesystem::create_directories(root_ / "project");
    writeFile(root_ / "art" / "Icons" / "Logo.BMP",
              bmpFile(2, 2, 8, 0, greyPalette(256), rows(2, 2, 8, [](int x, int) { return x * 255u; })));
    writeFile(root_ / "project" / "broken.bmp", Bytes{'B', 'M', 1, 2, 3});
  }
  TempDirectory temp_;
  std::filesystem::path root_ = temp_.path();
};

TEST_F(PictureStoreTest, FindsEachFileOnceInAnyCaseAndSeparatorStyle) {
  PictureStore store({root_ / "project", root_ / "art"});
  const auto a = store.add("icons\\logo.bmp", false);
  const auto b = store.add("ICONS/LOGO.bmp", false);
  const auto c = store.add((root_ / "art" / "Icons" / "Logo.BMP").string(), false);
  const auto t = store.add("icons\\logo.bmp", true);
  ASSERT_TRUE(a.number.has_value()) << a.error;
  EXPECT_EQ(b.number, a.number);
  EXPECT_EQ(c.number, a.number);
  ASSERT_TRUE(t.number.has_value());
  EXPECT_NE(t.number, a.number);
  ASSERT_EQ(store.files().size(), 2u);
  EXPECT_EQ(store.files()[0].first, "|bm0");
  EXPECT_EQ(store.files()[1].first, "|bm1");
}

// Names are matched in any case only when no folder has the exact name: on
// this system Pic.bmp and pic.bmp are two pictures.
TEST_F(PictureStoreTest, AnExactNameWinsOverAnotherCaseInAnEarlierFolder) {
  const Bytes bitmap = bmpFile(1, 1, 24, 0, {}, rows(1, 1, 24, [](int, int) { return 0u; }));
  writeFile(root_ / "project" / "Pic.bmp", bitmap);
  writeFile(root_ / "art" / "pic.bmp", bitmap);
  const PictureStore store({root_ / "project", root_ / "art"});
  EXPECT_EQ(store.locate("pic.bmp"), root_ / "art" / "pic.bmp");
  EXPECT_EQ(store.locate("Pic.bmp"), root_ / "project" / "Pic.bmp");
  EXPECT_EQ(store.locate("PIC.BMP"), root_ / "project" / "Pic.bmp");
}

TEST_F(PictureStoreTest, ReportsMissingAndBrokenFilesWithoutStoringThem) {
  PictureStore store({root_ / "project"});
  const auto missing = store.add("nothere.bmp", false);
  EXPECT_FALSE(missing.number.has_value());
  EXPECT_EQ(missing.error, "bitmap file not found");
  const auto broken = store.add("broken.bmp", false);
  EXPECT_FALSE(broken.number.has_value());
  EXPECT_EQ(broken.error, "file too short for a bitmap header");
  EXPECT_EQ(store.add("BROKEN.BMP", false).error, broken.error);
  EXPECT_TRUE(store.files().empty());
  EXPECT_FALSE(store.locate("").has_value());
}

}  // namespace
}  // namespace hcrtf::compiler
