// Whole compilations with pictures and tables, packed and stored, read back
// through the reader and, when Wine is installed, looked at in the viewer.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "BmpTestFiles.h"
#include "compiler/CompilerTestSupport.h"
#include "hcrtf/compiler/Compiler.h"
#include "hcrtf/dump/HelpFile.h"
#include "hcrtf/dump/Picture.h"
#include "../support/ViewerTool.h"

namespace hcrtf::compiler {
namespace {

using namespace hcrtf::testing;
using dump::HelpFile;
using dump::Picture;
using dump::PictureImage;

constexpr int kSide = 60;

struct Sample {
  const char* file;
  std::uint32_t rgb;  // the colour that fills the picture
};

// One picture per depth and packing, each filled with its own colour.
const std::vector<Sample>& samples() {
  static const std::vector<Sample> s = {{"red24.bmp", 0xFF0000}, {"green8.bmp", 0x00C800},
                                        {"blue4.bmp", 0x0000FF}, {"orange1.bmp", 0xFF8000},
                                        {"magenta_rle8.bmp", 0xFF00FF}, {"cyan_rle4.bmp", 0x00FFFF}};
  return s;
}

PaletteEntry entry(std::uint32_t rgb) {
  return {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb)};
}

Bytes sampleFile(const Sample& s) {
  const std::string name = s.file;
  auto flat = [](std::uint32_t v) { return [v](int, int) { return v; }; };
  if (name == "red24.bmp") return bmpFile(kSide, kSide, 24, 0, {}, rows(kSide, kSide, 24, flat(s.rgb)));
  std::vector<PaletteEntry> palette(name == "orange1.bmp" ? 2 : name.find("4") != std::string::npos ? 16 : 256);
  palette[1] = entry(s.rgb);
  if (name == "green8.bmp") return bmpFile(kSide, kSide, 8, 0, palette, rows(kSide, kSide, 8, flat(1)));
  if (name == "blue4.bmp") return bmpFile(kSide, kSide, 4, 0, palette, rows(kSide, kSide, 4, flat(1)));
  if (name == "orange1.bmp") return bmpFile(kSide, kSide, 1, 0, palette, rows(kSide, kSide, 1, flat(1)));
  Bytes rle;
  for (int y = 0; y < kSide; ++y) {
    rle.insert(rle.end(), {static_cast<std::uint8_t>(kSide), static_cast<std::uint8_t>(name == "cyan_rle4.bmp" ? 0x11 : 1), 0, 0});
  }
  rle.insert(rle.end(), {0, 1});
  return bmpFile(kSide, kSide, name == "cyan_rle4.bmp" ? 4 : 8, name == "cyan_rle4.bmp" ? 2 : 1, palette, rle);
}

std::string topicsRtf() {
  return rtfHeader() + rtfLines({
      "#{\\footnote pictures}${\\footnote Pictures}",
      "Pictures \\{bmc red24.bmp\\} \\{bmc green8.bmp\\} \\{bml blue4.bmp\\}\\par",
      "\\{bmc orange1.bmp\\} \\{bmr magenta_rle8.bmp\\} \\{bmc cyan_rle4.bmp\\} \\{bmc RED24.BMP\\} \\{bmct red24.bmp\\}\\par",
      "Broken \\{bmc nothere.bmp\\} \\{bmct broken.bmp\\} end\\par",
      "\\trowd\\intbl\\trqc\\cellx2500 \\cellx5000 \\cellx7500 Walnut\\cell Harbour\\cell Lantern\\cell\\trqc",
      "Meadow\\cell Thunder\\par Orchard\\cell {\\uldb Compass}{\\v second}\\cell\\row\\par",
      "\\page",
      "#{\\footnote second}${\\footnote Second}",
      "\\trowd\\trgaph108\\trleft-108\\cellx3000\\cellx6000\\pard\\intbl Kilo\\cell Lima\\cell\\row",
      "\\pard After\\par",
      "\\page", "}"});
}

std::string project(const std::string& name, bool compress) {
  return "[OPTIONS]\r\nTITLE=Media\r\nHLP=" + name + ".hlp\r\n" + (compress ? "" : "COMPRESS=0\r\n") +
         "\r\n[FILES]\r\ntopics.rtf\r\n";
}

class MediaCompileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const Sample& s : samples()) writeFile(dir_.path() / s.file, sampleFile(s));
    dir_.write("broken.bmp", "BM\x01");
    dir_.write("topics.rtf", topicsRtf());
    dir_.write("packed.hpj", project("packed", true));
    dir_.write("stored.hpj", project("stored", false));
  }

  HelpFile compile(const std::string& name, std::vector<std::string>* messages = nullptr) {
    Diagnostics diag(nullptr);
    const CompileResult r = Compiler(diag).compile(dir_.path() / (name + ".hpj"));
    EXPECT_TRUE(r.written) << name;
    if (messages) *messages = diag.messages();
    return HelpFile::load((dir_.path() / (name + ".hlp")).string());
  }

  // The reader's view, without positions, so packed and stored builds compare.
  std::string dump(const std::string& name, bool topics) {
    int status = 0;
    const std::string out = runCommand(std::string(HLPDUMP_PATH) + " '" + (dir_.path() / (name + ".hlp")).string() +
                                           (topics ? "' --topics --no-offsets" : "' --system"),
                                       status);
    EXPECT_EQ(status, 0) << out;
    return out;
  }

  TempDirectory dir_;
};

TEST_F(MediaCompileTest, EveryPictureDecodesBackToItsPixelsAndIsStoredOnce) {
  std::vector<std::string> messages;
  const HelpFile file = compile("packed", &messages);
  // Numbered in order of first use; RED24.BMP is red24.bmp again, and so is
  // the transparent form, which is stored opaque.
  for (std::size_t i = 0; i < samples().size(); ++i) {
    const auto content = file.file("|bm" + std::to_string(i));
    ASSERT_TRUE(content.has_value()) << i;
    const DibImage source = BmpFile::read(dir_.path() / samples()[i].file);
    const PictureImage img = Picture::parse(*content, "|bm").images.at(0);
    EXPECT_EQ(img.bitCount, source.bitCount) << samples()[i].file;
    ASSERT_EQ(img.pixels.size(), static_cast<std::size_t>(kSide * kSide));
    for (std::uint32_t p : img.pixels) ASSERT_EQ(p, samples()[i].rgb) << samples()[i].file;
  }
  EXPECT_FALSE(file.file("|bm" + std::to_string(samples().size())).has_value());

  auto said = [&](const std::string& text) {
    return std::any_of(messages.begin(), messages.end(), [&](const std::string& m) { return m.find(text) != std::string::npos; });
  };
  EXPECT_TRUE(said("topics.rtf:14: warning: picture 'nothere.bmp' left out: bitmap file not found"));
  EXPECT_TRUE(said("topics.rtf:14: warning: picture 'broken.bmp' left out: file too short for a bitmap header"));
  EXPECT_NE(dump("packed", true).find("Broken  "), std::string::npos);  // the topic still has its text
}

TEST_F(MediaCompileTest, PackedAndStoredBuildsShowTheSameTopics) {
  const HelpFile packed = compile("packed");
  const HelpFile stored = compile("stored");
  EXPECT_EQ(dump("packed", true), dump("stored", true));
  EXPECT_NE(dump("packed", false).find("flags: 4"), std::string::npos);
  EXPECT_NE(dump("stored", false).find("flags: 0"), std::string::npos);
  EXPECT_LT(packed.file("|TOPIC")->size(), stored.file("|TOPIC")->size());
}

TEST_F(MediaCompileTest, TableRowsBecomeTableRecords) {
  compile("packed");
  const std::string topics = dump("packed", true);
  // "\cell\trqc" after a full row starts the next row of the same layout.
  EXPECT_NE(topics.find("table: 3 columns, type 0"), std::string::npos) << topics;
  EXPECT_NE(topics.find("table: 2 columns, type 1"), std::string::npos) << topics;
  for (const char* word : {"Walnut", "Harbour", "Lantern", "Meadow", "Orchard", "Kilo", "Lima"}) {
    EXPECT_NE(topics.find(word), std::string::npos) << word;
  }
  EXPECT_NE(topics.find("Compass</hot>"), std::string::npos);
}

TEST_F(MediaCompileTest, OddAndHugeTableRowsStillCompile) {
  std::string wide = "\\trowd";
  for (int i = 1; i <= 300; ++i) wide += "\\cellx" + std::to_string(i * 30);
  for (int i = 0; i < 300; ++i) wide += " c" + std::to_string(i) + "\\cell";
  std::string noEdges = "\\trowd\\intbl";
  for (int i = 0; i < 600; ++i) noEdges += " n" + std::to_string(i) + "\\cell";
  const std::string rtf = rtfHeader() + "#{\\footnote odd}${\\footnote Odd}\r\n" + wide + "\\row\r\n" + noEdges +
                          "\\row\r\nA\\cell B\\row\r\n\\row\\trowd\\cellx100 unfinished\\page}";
  dir_.write("topics.rtf", rtf);
  std::vector<std::string> messages;
  compile("packed", &messages);
  const std::string topics = dump("packed", true);
  for (const char* word : {"c0", "c299", "n0", "n599", "unfinished"}) EXPECT_NE(topics.find(word), std::string::npos) << word;
  EXPECT_TRUE(std::any_of(messages.begin(), messages.end(), [](const std::string& m) {
    return m.find("table row too large for one table record") != std::string::npos;
  }));
}

TEST_F(MediaCompileTest, TallRowBecomesRowsOfTheSameColumnsReadingInOrder) {
  // Two columns of 800 linked entries each, like a site's index page: far
  // more than one table record holds.
  std::string row = "\\trowd\\cellx3000\\cellx6000\\intbl";
  for (const char* column : {"L", "R"}) {
    for (int i = 0; i < 800; ++i) {
      row += " {\\uldb " + std::string(column) + std::to_string(i) + "x}{\\v tall}\\par\r\n";
    }
    row += "\\cell";
  }
  dir_.write("topics.rtf", rtfHeader() + "#{\\footnote tall}${\\footnote Tall}\r\n" + row + "\\row\r\n\\pard After\\page}");
  std::vector<std::string> messages;
  compile("packed", &messages);
  for (const std::string& m : messages) EXPECT_EQ(m.find("too large"), std::string::npos) << m;
  const std::string topics = dump("packed", true);
  std::size_t rows = 0;
  for (std::size_t at = topics.find("table: 2 columns"); at != std::string::npos; at = topics.find("table: 2 columns", at + 1)) {
    ++rows;
  }
  EXPECT_GT(rows, 1u);
  // Each column keeps every entry, in order; the left column's part of a
  // row comes before the right column's.
  for (const char* column : {"L", "R"}) {
    std::size_t last = 0;
    for (int i = 0; i < 800; ++i) {
      const std::size_t at = topics.find(std::string(column) + std::to_string(i) + "x");
      ASSERT_NE(at, std::string::npos) << column << i;
      EXPECT_GT(at, last) << column << i;
      last = at;
    }
  }
  EXPECT_LT(topics.find("L0x"), topics.find("R0x"));
  EXPECT_LT(topics.find("R799x"), topics.find("After"));
}

// ----- The viewer -----------------------------------------------------------

// Pixels of each colour in a screenshot, read through ImageMagick as PPM.
std::map<std::uint32_t, int> colourCounts(const std::filesystem::path& png) {
  int status = 0;
  const auto ppm = png.parent_path() / "shot.ppm";
  runCommand("convert '" + png.string() + "' '" + ppm.string() + "'", status);
  std::map<std::uint32_t, int> counts;
  std::ifstream in(ppm, std::ios::binary);
  std::string magic;
  int w = 0, h = 0, max = 0;
  in >> magic >> w >> h >> max;
  in.get();
  if (magic != "P6" || max != 255) return counts;
  for (int i = 0; i < w * h && in; ++i) {
    unsigned char rgb[3];
    in.read(reinterpret_cast<char*>(rgb), 3);
    ++counts[(std::uint32_t{rgb[0]} << 16) | (std::uint32_t{rgb[1]} << 8) | rgb[2]];
  }
  return counts;
}

TEST_F(MediaCompileTest, ViewerShowsEveryPictureAndTheTable) {
  int status = 0;
  runCommand("command -v wine && command -v Xvfb && command -v xdotool && command -v tesseract && command -v convert", status);
  if (status != 0 || viewerTool().empty()) GTEST_SKIP() << "wine, Xvfb, xdotool, tesseract, ImageMagick or hlp-view missing";
  compile("packed");
  const auto shot = dir_.path() / "shot.png";
  const ViewerRun run = runViewer(viewerTool() + " '" + (dir_.path() / "packed.hlp").string() + "' '" + shot.string() +
                                  "' --window-only" + viewerTimeoutOption() +
                                  "--expect-text Harbour --expect-text Lantern --expect-text Meadow"
                                  " --expect-text Orchard --expect-text Compass");
  ASSERT_EQ(run.status, 0) << run.output;
  const auto counts = colourCounts(shot);
  for (const Sample& s : samples()) {
    const auto found = counts.find(s.rgb);
    const int seen = found == counts.end() ? 0 : found->second;
    // RED24.BMP shows the red picture a second time.
    const int expected = kSide * kSide * (s.rgb == 0xFF0000 ? 2 : 1);
    EXPECT_GE(seen, expected * 9 / 10) << s.file;
  }
}

}  // namespace
}  // namespace hcrtf::compiler
