// The picture libraries through their C entry points, as the engine calls
// them: decoded pixels, transparency over two window colours, scaling, and a
// table of hostile files that must each give their reason and leave no file.

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "hcrtf/compiler/BmpFile.h"
#include "imagelibs/ImageResult.h"
#include "tests/imagelibs/ImageLibraryHandle.h"
#include "tests/support/PictureEncoders.h"
#include "tests/support/TempDirectory.h"

using namespace picture_encoders;
using hcrtf::compiler::BmpFile;
using hcrtf::compiler::DibImage;

// The SVG renderer leaves each entity a picture declares to libxml2 (a few
// bytes an entity, in the hostile table's entity bomb); a leak of that
// library, not of ours, and everything else is still checked.
extern "C" const char* __lsan_default_suppressions() { return "leak:libxml2.so\n"; }

namespace {

using LoadWithColour = int (*)(const char*, const char*, std::uint32_t);
using Load = int (*)(const char*, const char*);
using Resize = int (*)(const char*, int, int);
using LoadSvg = int (*)(const char*, const char*, std::uint32_t, int);

// Window colours as the help project writes them (0x00BBGGRR) and as RGB.
constexpr std::uint32_t kGrey = 0xC0C0C0;
constexpr std::uint32_t kTan = 0xE2FFFF;
constexpr std::uint32_t kTanRgb = 0xFFFFE2;

class ImageLibrariesTest : public ::testing::Test {
 protected:
  ImageLibraryHandle gifLibrary{"libcorvane3.so"};
  ImageLibraryHandle jpegLibrary{"libcorvane4.so"};
  ImageLibraryHandle resizeLibrary{"libcorvane5.so"};
  ImageLibraryHandle pngLibrary{"libcorvane6.so"};
  LoadWithColour loadGif = reinterpret_cast<LoadWithColour>(gifLibrary.entry("LoadGifFile"));
  Load loadJpg = reinterpret_cast<Load>(jpegLibrary.entry("LoadJpgFile"));
  Resize resize = reinterpret_cast<Resize>(resizeLibrary.entry("ResizeBitmap"));
  LoadWithColour loadPng = reinterpret_cast<LoadWithColour>(pngLibrary.entry("LoadPngFile"));
  ImageLibraryHandle svgLibrary{"libcorvane7.so"};
  LoadSvg loadSvg = reinterpret_cast<LoadSvg>(svgLibrary.entry("LoadSvgFile"));
  TempDirectory dir;
  std::string bmp = dir / "out.bmp";

  DibImage bitmap() const { return BmpFile::read(bmp); }
};

// Eight rows, each a colour of its own, so that a row put in the wrong
// place by interlacing shows.
GifPicture stripedGif(bool interlaced) {
  GifPicture picture;
  picture.screenWidth = picture.width = 3;
  picture.screenHeight = picture.height = 11;
  picture.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {10, 20, 30}};
  for (int y = 0; y < picture.height; ++y) picture.indices.insert(picture.indices.end(), 3, static_cast<std::uint8_t>(y % 4));
  picture.interlaced = interlaced;
  return picture;
}

constexpr std::uint32_t kStripe[] = {0xFF0000, 0x00FF00, 0x0000FF, 0x0A141E};

TEST_F(ImageLibrariesTest, GifRowsAndInterlaceComeOutInPlace) {
  for (bool interlaced : {false, true}) {
    SCOPED_TRACE(interlaced ? "interlaced" : "sequential");
    writeGif(dir / "a.gif", stripedGif(interlaced));
    ASSERT_EQ(loadGif((dir / "a.gif").c_str(), bmp.c_str(), kGrey), imagelibs::kOk);
    const DibImage image = bitmap();
    EXPECT_EQ(image.bitCount, 8);
    ASSERT_EQ(image.width, 3);
    ASSERT_EQ(image.height, 11);
    for (int y = 0; y < 11; ++y) EXPECT_EQ(colourAt(image, 1, y), kStripe[y % 4]) << "row " << y;
  }
}

TEST_F(ImageLibrariesTest, GifTransparencyAndBareScreenTakeTheWindowColour) {
  // A 2x2 frame at (1,1) on a 4x4 screen; index 1 transparent.
  GifPicture picture;
  picture.screenWidth = picture.screenHeight = 4;
  picture.left = picture.top = 1;
  picture.width = picture.height = 2;
  picture.palette = {{200, 0, 0}, {0, 200, 0}};
  picture.indices = {0, 1, 1, 0};
  picture.transparent = 1;
  writeGif(dir / "t.gif", picture);
  for (auto [window, rgb] : {std::pair{kGrey, 0xC0C0C0u}, std::pair{kTan, kTanRgb}}) {
    ASSERT_EQ(loadGif((dir / "t.gif").c_str(), bmp.c_str(), window), imagelibs::kOk);
    const DibImage image = bitmap();
    ASSERT_EQ(image.width, 4);
    EXPECT_EQ(colourAt(image, 1, 1), 0xC80000u);
    EXPECT_EQ(colourAt(image, 2, 1), rgb);
    EXPECT_EQ(colourAt(image, 0, 0), rgb);
    EXPECT_EQ(colourAt(image, 3, 3), rgb);
  }
  // Without a transparent index the bare screen still shows the window.
  picture.transparent = -1;
  writeGif(dir / "o.gif", picture);
  ASSERT_EQ(loadGif((dir / "o.gif").c_str(), bmp.c_str(), kGrey), imagelibs::kOk);
  EXPECT_EQ(colourAt(bitmap(), 2, 1), 0x00C800u);
  EXPECT_EQ(colourAt(bitmap(), 0, 3), 0xC0C0C0u);
}

std::vector<std::uint8_t> filled(int width, int height, std::vector<std::uint8_t> pixel) {
  std::vector<std::uint8_t> out;
  for (int i = 0; i < width * height; ++i) out.insert(out.end(), pixel.begin(), pixel.end());
  return out;
}

TEST_F(ImageLibrariesTest, JpegColourSpacesAndProgressiveDecode) {
  struct Case {
    const char* name;
    JpegKind kind;
    std::vector<std::uint8_t> pixel;
    bool progressive;
    std::uint32_t expected;
    int bitCount;
  };
  const Case cases[] = {
      {"grey", JpegKind::Grey, {90}, false, 0x5A5A5A, 8},
      {"rgb", JpegKind::Rgb, {20, 40, 220}, false, 0x1428DC, 24},
      {"progressive", JpegKind::Rgb, {20, 40, 220}, true, 0x1428DC, 24},
      {"progressive grey", JpegKind::Grey, {200}, true, 0xC8C8C8, 8},
      // Adobe CMYK, inverted: no cyan or magenta ink, full yellow, no black.
      {"cmyk", JpegKind::Cmyk, {255, 255, 0, 255}, false, 0xFFFF00, 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeJpeg(dir / "a.jpg", 24, 17, c.kind, filled(24, 17, c.pixel), c.progressive);
    ASSERT_EQ(loadJpg((dir / "a.jpg").c_str(), bmp.c_str()), imagelibs::kOk);
    const DibImage image = bitmap();
    EXPECT_EQ(image.bitCount, c.bitCount);
    ASSERT_EQ(image.width, 24);
    ASSERT_EQ(image.height, 17);
    for (auto [x, y] : {std::pair{0, 0}, std::pair{23, 16}, std::pair{11, 8}}) {
      EXPECT_TRUE(near(colourAt(image, x, y), c.expected, 6)) << std::hex << colourAt(image, x, y);
    }
  }
}

TEST_F(ImageLibrariesTest, PngColourTypesDepthsAndTransparency) {
  struct Case {
    const char* name;
    PngPicture picture;
    std::uint32_t window;
    std::uint32_t expected[2];  // pixels 0 and 1 of the top row
  };
  auto picture = [](int type, int depth, std::vector<std::uint8_t> row, bool interlaced = false) {
    PngPicture s;
    s.width = 2;
    s.height = 9;
    s.colourType = type;
    s.bitDepth = depth;
    for (int y = 0; y < 9; ++y) s.rows.insert(s.rows.end(), row.begin(), row.end());
    s.interlaced = interlaced;
    return s;
  };
  PngPicture palette = picture(PNG_COLOR_TYPE_PALETTE, 8, {0, 1});
  palette.palette = {{0, 128, 0}, {255, 0, 0}};
  PngPicture paletteAlpha = palette;
  paletteAlpha.paletteAlpha = {255, 0};
  PngPicture greyKey = picture(PNG_COLOR_TYPE_GRAY, 8, {7, 100});
  greyKey.transparentGrey = 7;
  PngPicture bits = picture(PNG_COLOR_TYPE_GRAY, 1, {0x40});
  const Case cases[] = {
      {"palette", palette, kGrey, {0x008000, 0xFF0000}},
      {"palette tRNS over tan", paletteAlpha, kTan, {0x008000, kTanRgb}},
      {"grey tRNS over grey", greyKey, kGrey, {0xC0C0C0, 0x646464}},
      {"grey 1 bit", bits, kGrey, {0x000000, 0xFFFFFF}},
      {"grey 16 bits", picture(PNG_COLOR_TYPE_GRAY, 16, {0x12, 0x34, 0xFF, 0xFF}), kGrey, {0x121212, 0xFFFFFF}},
      {"rgb", picture(PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 250, 251, 252}), kGrey, {0x010203, 0xFAFBFC}},
      {"rgb 16 interlaced", picture(PNG_COLOR_TYPE_RGB, 16, {0, 0, 0x80, 0, 0xFF, 0, 9, 9, 9, 9, 9, 9}, true), kGrey,
       {0x0080FF, 0x090909}},
      // Green at half alpha over grey and over tan: the blend of the two.
      {"rgba half over grey", picture(PNG_COLOR_TYPE_RGBA, 8, {0, 255, 0, 128, 0, 0, 255, 0}), kGrey,
       {0x60DF60, 0xC0C0C0}},
      {"rgba half over tan", picture(PNG_COLOR_TYPE_RGBA, 8, {0, 255, 0, 128, 0, 0, 255, 255}), kTan, {0x7FFF71, 0x0000FF}},
      {"grey alpha", picture(PNG_COLOR_TYPE_GRAY_ALPHA, 8, {255, 0, 0, 255}), kGrey, {0xC0C0C0, 0x000000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writePng(dir / "a.png", c.picture);
    ASSERT_EQ(loadPng((dir / "a.png").c_str(), bmp.c_str(), c.window), imagelibs::kOk);
    const DibImage image = bitmap();
    ASSERT_EQ(image.width, 2);
    ASSERT_EQ(image.height, 9);
    for (int y : {0, 5, 8}) {
      EXPECT_TRUE(near(colourAt(image, 0, y), c.expected[0], 1)) << std::hex << colourAt(image, 0, y);
      EXPECT_TRUE(near(colourAt(image, 1, y), c.expected[1], 1)) << std::hex << colourAt(image, 1, y);
    }
  }
}

TEST_F(ImageLibrariesTest, ResizeAveragesDownRepeatsUpAndLeavesTheSameSizeAlone) {
  // A 4x2 checkerboard of black and white.
  GifPicture picture;
  picture.screenWidth = picture.width = 4;
  picture.screenHeight = picture.height = 2;
  picture.palette = {{0, 0, 0}, {255, 255, 255}};
  picture.indices = {0, 1, 0, 1, 1, 0, 1, 0};
  writeGif(dir / "c.gif", picture);
  ASSERT_EQ(loadGif((dir / "c.gif").c_str(), bmp.c_str(), kGrey), imagelibs::kOk);
  const std::vector<std::uint8_t> original = readBytes(bmp);

  ASSERT_EQ(resize(bmp.c_str(), 4, 2), imagelibs::kOk);
  EXPECT_EQ(readBytes(bmp), original);

  ASSERT_EQ(resize(bmp.c_str(), 8, 6), imagelibs::kOk);
  DibImage up = bitmap();
  EXPECT_EQ(up.bitCount, 8);
  ASSERT_EQ(up.width, 8);
  ASSERT_EQ(up.height, 6);
  EXPECT_EQ(colourAt(up, 0, 0), 0x000000u);
  EXPECT_EQ(colourAt(up, 2, 0), 0xFFFFFFu);
  EXPECT_EQ(colourAt(up, 0, 5), 0xFFFFFFu);

  ASSERT_EQ(resize(bmp.c_str(), 2, 1), imagelibs::kOk);
  DibImage down = bitmap();
  ASSERT_EQ(down.width, 2);
  ASSERT_EQ(down.height, 1);
  EXPECT_TRUE(near(colourAt(down, 0, 0), 0x808080, 1)) << std::hex << colourAt(down, 0, 0);
  EXPECT_TRUE(near(colourAt(down, 1, 0), 0x808080, 1));
}

TEST_F(ImageLibrariesTest, ResizeRefusalsKeepTheBitmap) {
  writeJpeg(dir / "a.jpg", 1, 1000, JpegKind::Rgb, filled(1, 1000, {1, 2, 3}), false);
  ASSERT_EQ(loadJpg((dir / "a.jpg").c_str(), bmp.c_str()), imagelibs::kOk);
  const std::vector<std::uint8_t> original = readBytes(bmp);
  // 800 x 800,000 would be 1.9 GB.
  EXPECT_EQ(resize(bmp.c_str(), 800, 800000), imagelibs::kTooLarge);
  EXPECT_EQ(resize(bmp.c_str(), 40000, 1), imagelibs::kTooLarge);
  EXPECT_EQ(resize(bmp.c_str(), 0, 5), imagelibs::kNoPixels);
  EXPECT_EQ(resize(bmp.c_str(), -3, 5), imagelibs::kNoPixels);
  EXPECT_EQ(readBytes(bmp), original);

  // A bitmap cut short keeps what it had and is not rewritten.
  std::vector<std::uint8_t> cut(original.begin(), original.begin() + 200);
  writeBytes(bmp, cut);
  EXPECT_EQ(resize(bmp.c_str(), 2, 2), imagelibs::kDamaged);
  EXPECT_EQ(readBytes(bmp), cut);
  writeBytes(bmp, {'B', 'M', 0, 0});
  EXPECT_EQ(resize(bmp.c_str(), 2, 2), imagelibs::kWrongSignature);
  EXPECT_EQ(resize((dir / "none.bmp").c_str(), 2, 2), imagelibs::kUnreadable);
  EXPECT_FALSE(std::filesystem::exists(bmp + ".part"));
}

void writeText(const std::string& path, const std::string& text) { writeBytes(path, {text.begin(), text.end()}); }

constexpr const char* kSvgOpen = "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" ";

TEST_F(ImageLibrariesTest, SvgIsDrawnAtItsOwnSizeWithinTheLargestSide) {
  struct Case {
    const char* name;
    std::string svg;
    int maxSide;
    int width;
    int height;
  };
  const std::string blue = "<rect x=\"0\" y=\"0\" width=\"100%\" height=\"100%\" fill=\"#0000ff\"/></svg>";
  const Case cases[] = {
      {"width and height", std::string(kSvgOpen) + "width=\"30\" height=\"20\">" + blue, 1024, 30, 20},
      {"in points", std::string(kSvgOpen) + "width=\"30pt\" height=\"15pt\">" + blue, 1024, 40, 20},
      {"viewBox only", std::string(kSvgOpen) + "viewBox=\"0 0 50 25\">" + blue, 1024, 50, 25},
      {"no size at all", std::string(kSvgOpen) + ">" + blue, 1024, 64, 64},
      {"scaled to fit", std::string(kSvgOpen) + "width=\"4000\" height=\"2000\">" + blue, 1024, 1024, 512},
      {"tighter side", std::string(kSvgOpen) + "viewBox=\"0 0 10 40\">" + blue, 20, 5, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    writeText(dir / "a.svg", c.svg);
    ASSERT_EQ(loadSvg((dir / "a.svg").c_str(), bmp.c_str(), kGrey, c.maxSide), imagelibs::kOk);
    const DibImage image = bitmap();
    EXPECT_EQ(image.width, c.width);
    EXPECT_EQ(image.height, c.height);
    EXPECT_EQ(colourAt(image, image.width / 2, image.height / 2), 0x0000FFu);
  }
}

TEST_F(ImageLibrariesTest, SvgTransparencyShowsTheWindowAndNothingOutsideIsLoaded) {
  // A red PNG beside the drawing, referred to by path and by file address:
  // neither may be drawn, so the window colour shows where it would be.
  PngPicture red;
  red.width = red.height = 4;
  red.rows = std::vector<std::uint8_t>(48, 0);
  for (std::size_t i = 0; i < red.rows.size(); i += 3) red.rows[i] = 255;
  writePng(dir / "red.png", red);
  writeText(dir / "b.svg", std::string(kSvgOpen) + "width=\"40\" height=\"10\">"
                           "<rect x=\"0\" y=\"0\" width=\"10\" height=\"10\" fill=\"#00ff00\" fill-opacity=\"0.5\"/>"
                           "<image x=\"10\" y=\"0\" width=\"10\" height=\"10\" xlink:href=\"red.png\"/>"
                           "<image x=\"20\" y=\"0\" width=\"10\" height=\"10\" xlink:href=\"file://" +
                           (dir / "red.png") + "\"/></svg>");
  for (auto [window, rgb] : {std::pair{kGrey, 0xC0C0C0u}, std::pair{kTan, kTanRgb}}) {
    ASSERT_EQ(loadSvg((dir / "b.svg").c_str(), bmp.c_str(), window, 1024), imagelibs::kOk);
    const DibImage image = bitmap();
    const std::uint32_t under = rgb;
    const std::uint32_t blend = (((under >> 16) & 0xFF) / 2 << 16) | ((((under >> 8) & 0xFF) + 255) / 2 << 8) |
                                ((under & 0xFF) / 2);
    EXPECT_TRUE(near(colourAt(image, 5, 5), blend, 2)) << std::hex << colourAt(image, 5, 5);
    EXPECT_EQ(colourAt(image, 15, 5), rgb);
    EXPECT_EQ(colourAt(image, 25, 5), rgb);
    EXPECT_EQ(colourAt(image, 35, 5), rgb);
  }
}

TEST_F(ImageLibrariesTest, SvgzIsReadLikeSvg) {
  const std::string svg = std::string(kSvgOpen) + "width=\"8\" height=\"6\"><rect width=\"8\" height=\"6\" fill=\"#ff0000\"/></svg>";
  gzFile out = gzopen((dir / "a.svgz").c_str(), "wb");
  ASSERT_NE(out, nullptr);
  gzwrite(out, svg.data(), static_cast<unsigned>(svg.size()));
  gzclose(out);
  ASSERT_EQ(loadSvg((dir / "a.svgz").c_str(), bmp.c_str(), kGrey, 1024), imagelibs::kOk);
  EXPECT_EQ(colourAt(bitmap(), 3, 3), 0xFF0000u);
}

// ---- Hostile files ----

std::vector<std::uint8_t> gifHeader(int width, int height) {
  std::vector<std::uint8_t> out{'G', 'I', 'F', '8', '9', 'a'};
  out.insert(out.end(), {static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(width >> 8),
                         static_cast<std::uint8_t>(height), static_cast<std::uint8_t>(height >> 8), 0x80, 0, 0});
  out.insert(out.end(), {0, 0, 0, 255, 255, 255});  // two colours
  return out;
}

// A screen of its own size with one frame and a few bytes of LZW data.
std::vector<std::uint8_t> gifWithFrame(int screen, int frame) {
  std::vector<std::uint8_t> out = gifHeader(screen, screen);
  out.insert(out.end(), {0x2C, 0, 0, 0, 0, static_cast<std::uint8_t>(frame), static_cast<std::uint8_t>(frame >> 8),
                         static_cast<std::uint8_t>(frame), static_cast<std::uint8_t>(frame >> 8), 0, 2});
  out.insert(out.end(), {2, 0x4C, 0x01, 0, 0x3B});
  return out;
}

std::vector<std::uint8_t> pngHeader(std::uint32_t width, std::uint32_t height) {
  std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> ihdr;
  putBig32(ihdr, width);
  putBig32(ihdr, height);
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  const std::vector<std::uint8_t> chunk = pngChunk("IHDR", ihdr);
  out.insert(out.end(), chunk.begin(), chunk.end());
  return out;
}

// A real JPEG whose frame header claims another size.
std::vector<std::uint8_t> jpegClaiming(const std::vector<std::uint8_t>& jpeg, int width, int height) {
  std::vector<std::uint8_t> out = jpeg;
  for (std::size_t i = 0; i + 9 < out.size(); ++i) {
    if (out[i] == 0xFF && (out[i + 1] == 0xC0 || out[i + 1] == 0xC2)) {
      out[i + 5] = static_cast<std::uint8_t>(height >> 8);
      out[i + 6] = static_cast<std::uint8_t>(height);
      out[i + 7] = static_cast<std::uint8_t>(width >> 8);
      out[i + 8] = static_cast<std::uint8_t>(width);
      break;
    }
  }
  return out;
}

// A progressive JPEG whose first scan is repeated ten thousand times.
std::vector<std::uint8_t> jpegOfManyScans(const std::vector<std::uint8_t>& jpeg) {
  std::size_t start = 0;
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) {
      start = i;
      break;
    }
  }
  std::size_t end = start + 2;
  while (end + 1 < jpeg.size() && !(jpeg[end] == 0xFF && jpeg[end + 1] != 0 && (jpeg[end + 1] < 0xD0 || jpeg[end + 1] > 0xD7))) {
    ++end;
  }
  std::vector<std::uint8_t> out(jpeg.begin(), jpeg.begin() + static_cast<long>(end));
  for (int i = 0; i < 10000; ++i) out.insert(out.end(), jpeg.begin() + static_cast<long>(start), jpeg.begin() + static_cast<long>(end));
  out.insert(out.end(), {0xFF, 0xD9});
  return out;
}

TEST_F(ImageLibrariesTest, HostileFilesGiveTheirReasonAndLeaveNoFile) {
  writeGif(dir / "good.gif", stripedGif(false));
  writeJpeg(dir / "good.jpg", 16, 16, JpegKind::Rgb, filled(16, 16, {9, 9, 9}), false);
  writeJpeg(dir / "prog.jpg", 16, 16, JpegKind::Rgb, filled(16, 16, {9, 9, 9}), true);
  PngPicture png;
  png.width = png.height = 16;
  png.rows = filled(16, 16, {1, 2, 3});
  writePng(dir / "good.png", png);
  const auto gif = readBytes(dir / "good.gif");
  const auto jpg = readBytes(dir / "good.jpg");
  const auto prog = readBytes(dir / "prog.jpg");
  const auto pngBytes = readBytes(dir / "good.png");
  auto half = [](const std::vector<std::uint8_t>& bytes) {
    return std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() / 2));
  };

  enum Format { Gif, Jpeg, Png, Svg };
  auto text = [](const std::string& t) { return std::vector<std::uint8_t>(t.begin(), t.end()); };
  std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE svg [<!ENTITY a \"aaaaaaaaaa\">";
  for (char c = 'b'; c <= 'k'; ++c) {
    laughs += std::string("<!ENTITY ") + c + " \"";
    for (int i = 0; i < 10; ++i) laughs += std::string("&") + static_cast<char>(c - 1) + ";";
    laughs += "\">";
  }
  laughs += "]>" + std::string(kSvgOpen) + "width=\"10\" height=\"10\"><text>&k;</text></svg>";
  struct Row {
    const char* name;
    Format format;
    std::vector<std::uint8_t> bytes;
    std::vector<int> expected;  // the reasons that fit
  };
  const Row rows[] = {
      {"gif truncated", Gif, half(gif), {imagelibs::kDamaged}},
      {"gif 65535 square", Gif, gifWithFrame(65535, 1), {imagelibs::kTooLarge}},
      {"gif LZW bomb frame", Gif, gifWithFrame(20000, 20000), {imagelibs::kTooLarge}},
      {"gif zero size", Gif, gifWithFrame(0, 0), {imagelibs::kNoPixels}},
      {"gif without a frame", Gif, [&] { auto b = gifHeader(4, 4); b.push_back(0x3B); return b; }(), {imagelibs::kNoPixels}},
      {"gif wrong magic", Gif, pngBytes, {imagelibs::kWrongSignature}},
      {"gif empty", Gif, {}, {imagelibs::kWrongSignature, imagelibs::kDamaged}},
      {"jpeg truncated", Jpeg, half(jpg), {imagelibs::kDamaged}},
      {"jpeg progressive truncated", Jpeg, half(prog), {imagelibs::kDamaged}},
      {"jpeg 65500 square", Jpeg, jpegClaiming(jpg, 65500, 65500), {imagelibs::kTooLarge}},
      {"jpeg zero height", Jpeg, jpegClaiming(jpg, 16, 0), {imagelibs::kNoPixels}},
      {"jpeg 10000 scans", Jpeg, jpegOfManyScans(prog), {imagelibs::kTooLarge, imagelibs::kDamaged}},
      {"jpeg wrong magic", Jpeg, gif, {imagelibs::kWrongSignature}},
      {"png truncated", Png, half(pngBytes), {imagelibs::kDamaged}},
      {"png 100000 square", Png, pngHeader(100000, 100000), {imagelibs::kTooLarge}},
      {"png deflate bomb size", Png, pngHeader(20000, 20000), {imagelibs::kTooLarge}},
      {"png zero width", Png, pngHeader(0, 16), {imagelibs::kNoPixels}},
      {"png header only", Png, pngHeader(16, 16), {imagelibs::kDamaged}},
      {"png wrong magic", Png, jpg, {imagelibs::kWrongSignature}},
      {"svg truncated", Svg, text(std::string(kSvgOpen) + "width=\"10\" height=\"10\"><rect wid"), {imagelibs::kDamaged}},
      {"svg zero size", Svg, text(std::string(kSvgOpen) + "width=\"0\" height=\"10\"></svg>"), {imagelibs::kNoPixels}},
      {"svg not markup", Svg, text("GIF89a"), {imagelibs::kWrongSignature}},
      {"svg empty", Svg, {}, {imagelibs::kWrongSignature}},
      {"svg entity bomb", Svg, text(laughs), {imagelibs::kDamaged}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string source = dir / "hostile";
    writeBytes(source, row.bytes);
    const int result = row.format == Gif    ? loadGif(source.c_str(), bmp.c_str(), kGrey)
                       : row.format == Jpeg ? loadJpg(source.c_str(), bmp.c_str())
                       : row.format == Png  ? loadPng(source.c_str(), bmp.c_str(), kGrey)
                                            : loadSvg(source.c_str(), bmp.c_str(), kGrey, 1024);
    EXPECT_NE(std::find(row.expected.begin(), row.expected.end(), result), row.expected.end()) << "result " << result;
    EXPECT_FALSE(std::filesystem::exists(bmp));
    EXPECT_FALSE(std::filesystem::exists(bmp + ".part"));
  }
  const std::string missing = dir / "missing";
  EXPECT_EQ(loadGif(missing.c_str(), bmp.c_str(), 0), imagelibs::kUnreadable);
  EXPECT_EQ(loadJpg(missing.c_str(), bmp.c_str()), imagelibs::kUnreadable);
  EXPECT_EQ(loadPng(missing.c_str(), bmp.c_str(), 0), imagelibs::kUnreadable);
  EXPECT_EQ(loadGif(nullptr, bmp.c_str(), 0), imagelibs::kUnreadable);
}

TEST_F(ImageLibrariesTest, UnwritableBitmapIsReportedAndLeavesNothing) {
  writeGif(dir / "a.gif", stripedGif(false));
  const std::string target = dir / "no/such/folder/a.bmp";
  EXPECT_EQ(loadGif((dir / "a.gif").c_str(), target.c_str(), 0), imagelibs::kNotWritten);
  EXPECT_FALSE(std::filesystem::exists(target));
}

}  // namespace
