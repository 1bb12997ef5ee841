// The picture converter of the engine over the built libraries: the resize
// rule, library loading, and adding pictures of local trees the way image
// tags and the crawl do.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "hcrtf/compiler/BmpFile.h"
#include "html/qvTagImg.h"
#include "image/qvGuiImgLib.h"
#include "image/qvImageConverter.h"
#include "image/qvImageType.h"
#include "image/qvPlainImgLib.h"
#include "image/qvResizeRule.h"
#include "tests/html/HtmlTestSupport.h"
#include "tests/support/PictureEncoders.h"
#include "tests/support/TempDirectory.h"
#include "ui/qvUserInterfaceCodes.h"

using namespace picture_encoders;
using hcrtf::compiler::BmpFile;
namespace fs = std::filesystem;

namespace {

class PictureUserInterface : public RecordingUserInterface {
 public:
  int getValue(int index) override { return index == qvValueIndex::kOffline ? offline : 0; }
  void endStatusLine(const std::string& text, bool /*append*/, bool /*log*/) override { endings.push_back(text); }
  void showWarning(const std::string& text) override { warnings.push_back(text); }
  int offline = 0;
  std::vector<std::string> endings;
  std::vector<std::string> warnings;
};

std::string fileURL(const std::string& path) { return "file://" + path; }

void writeRedGif(const std::string& path, int width, int height) {
  GifPicture picture;
  picture.screenWidth = picture.width = width;
  picture.screenHeight = picture.height = height;
  picture.palette = {{255, 0, 0}, {0, 0, 0}};
  picture.indices.assign(static_cast<std::size_t>(width * height), 0);
  writeGif(path, picture);
}

TEST(ResizeRuleTest, SizesTheBitmapIsScaledTo) {
  using Size = qvResizeRule::Size;
  auto target = [](Size picture, int w, int h) { return qvResizeRule::target(picture, w, h); };
  EXPECT_FALSE(target({40, 20}, 0, 0));
  EXPECT_FALSE(target({40, 20}, 40, 20));
  EXPECT_FALSE(target({40, 20}, 40, 0));
  EXPECT_FALSE(target({0, 20}, 10, 0));
  // Aspect kept from one side, in integer arithmetic.
  ASSERT_TRUE(target({40, 20}, 10, 0));
  EXPECT_EQ(target({40, 20}, 10, 0)->height, 5);
  EXPECT_EQ(target({40, 20}, 0, 30)->width, 60);
  // A side that rounds to nothing, or a size past the limits, stays.
  EXPECT_FALSE(target({1000, 1}, 1, 0));
  EXPECT_FALSE(target({1, 1000}, 800, 0));
  EXPECT_FALSE(target({1, 1}, 32768, 1));
  ASSERT_TRUE(target({1, 1}, 32767, 1));
  EXPECT_EQ(target({1, 1}, 32767, 1)->width, 32767);
}

TEST(ResizeRuleTest, HeaderNeedsItsHeight) {
  TempDirectory dir;
  std::vector<std::uint8_t> header(26, 0);
  header[0] = 'B';
  header[1] = 'M';
  header[18] = 7;
  header[22] = 0xFB;  // -5: five rows, top-down
  header[23] = header[24] = header[25] = 0xFF;
  writeBytes(dir / "a.bmp", header);
  ASSERT_TRUE(qvResizeRule::bitmapSize(dir / "a.bmp"));
  EXPECT_EQ(qvResizeRule::bitmapSize(dir / "a.bmp")->width, 7);
  EXPECT_EQ(qvResizeRule::bitmapSize(dir / "a.bmp")->height, 5);
  header.resize(24);
  writeBytes(dir / "b.bmp", header);
  EXPECT_FALSE(qvResizeRule::bitmapSize(dir / "b.bmp"));
  header[0] = 'X';
  header.resize(26);
  writeBytes(dir / "c.bmp", header);
  EXPECT_FALSE(qvResizeRule::bitmapSize(dir / "c.bmp"));
}

TEST(ImageTypeTest, MediaTypesAndExtensions) {
  using Format = qvImageType::Format;
  EXPECT_EQ(qvImageType::fromMediaType("image/jpg"), Format::Jpeg);
  EXPECT_EQ(qvImageType::fromMediaType("Image/JPEG; charset=x"), Format::Jpeg);
  EXPECT_EQ(qvImageType::fromMediaType(" image/x-png "), Format::Png);
  EXPECT_EQ(qvImageType::fromMediaType("IMAGE/GIF"), Format::Gif);
  EXPECT_EQ(qvImageType::fromMediaType("image/svg+xml"), Format::Svg);
  EXPECT_FALSE(qvImageType::fromMediaType("image/tiff"));
  EXPECT_FALSE(qvImageType::fromMediaType("text/html"));
  EXPECT_EQ(qvImageType::mediaTypeForFile("/a/B.JPEG"), "image/jpeg");
  EXPECT_EQ(qvImageType::mediaTypeForFile("/a/b.Gif"), "image/gif");
  EXPECT_EQ(qvImageType::mediaTypeForFile("/a/b.svgz"), "image/svg+xml");
  EXPECT_FALSE(qvImageType::mediaTypeForFile("/a.gif/b"));
  EXPECT_FALSE(qvImageType::mediaTypeForFile("/a/b.tif"));
}

TEST(GuiImgLibTest, InitNamesTheLibraryThatIsMissing) {
  TempDirectory dir;
  PictureUserInterface ui;
  qvGuiImgLib none(ui, dir.path().string());
  EXPECT_FALSE(none.init());
  EXPECT_EQ(none.getMessage(), "failed to load libcorvane3.so");

  // A library without its entry point.
  fs::copy_file(CORVANE_BINARY_DIR "/libcorvane4.so", dir / "libcorvane3.so");
  qvGuiImgLib wrong(ui, dir.path().string());
  EXPECT_FALSE(wrong.init());
  EXPECT_EQ(wrong.getMessage(), "GetProcAddress () failed for libcorvane3.so");

  // The three the engine needs, without PNG: PNG alone fails, naming it.
  // (A folder of its own: a library once loaded stays loaded.)
  fs::create_directory(dir / "three");
  for (const char* name : {"libcorvane3.so", "libcorvane4.so", "libcorvane5.so"}) {
    fs::copy_file(std::string(CORVANE_BINARY_DIR) + "/" + name, dir.path() / "three" / name);
  }
  qvGuiImgLib partial(ui, dir / "three");
  ASSERT_TRUE(partial.init()) << partial.getMessage();
  EXPECT_EQ(partial.getMessage(), "Completed OK");
  PngPicture png;
  png.width = png.height = 2;
  png.rows.assign(12, 0);
  writePng(dir / "a.png", png);
  EXPECT_FALSE(partial.pngToBmp(dir / "a.png", dir / "a.bmp", 0, 0, 0));
  EXPECT_EQ(partial.failureReason(), "failed to load libcorvane6.so");
  EXPECT_FALSE(partial.convertsSvg());
  writeRedGif(dir / "a.gif", 3, 3);
  EXPECT_TRUE(partial.gifToBmp(dir / "a.gif", dir / "a.bmp", 0, 0, 0));
}

TEST(GuiImgLibTest, ConversionsScaleByTheRuleAndSurviveARefusedScale) {
  TempDirectory dir;
  PictureUserInterface ui;
  qvGuiImgLib library(ui, CORVANE_BINARY_DIR);
  ASSERT_TRUE(library.init());
  writeRedGif(dir / "a.gif", 40, 20);
  ASSERT_TRUE(library.gifToBmp(dir / "a.gif", dir / "a.bmp", 0xC0C0C0, 10, 0));
  auto image = BmpFile::read(dir / "a.bmp");
  EXPECT_EQ(image.width, 10);
  EXPECT_EQ(image.height, 5);

  writeJpeg(dir / "a.jpg", 1, 1000, JpegKind::Grey, std::vector<std::uint8_t>(1000, 50), false);
  ASSERT_TRUE(library.jpgToBmp(dir / "a.jpg", dir / "b.bmp", 800, 0));
  image = BmpFile::read(dir / "b.bmp");
  EXPECT_EQ(image.width, 1);
  EXPECT_EQ(image.height, 1000);

  writeBytes(dir / "bad.gif", {'G', 'I', 'F', '8', '9', 'a', 1});
  EXPECT_FALSE(library.gifToBmp(dir / "bad.gif", dir / "c.bmp", 0, 0, 0));
  EXPECT_EQ(library.failureReason(), "damaged or truncated picture");
  EXPECT_FALSE(fs::exists(dir / "c.bmp"));
}

// The converter of a run over the built libraries, pictures in `dir`.
class ConverterTest : public ::testing::Test {
 protected:
  ConverterTest() : library(ui, CORVANE_BINARY_DIR), context(ui, settings), images(library, context, work()) {
    EXPECT_TRUE(library.init());
    fs::create_directory(work());
  }
  std::string work() const { return dir / "rtf"; }
  std::optional<std::string> add(const std::string& file, int w = 0, int h = 0) {
    return images.addImage(fileURL(dir / file), w, h, "");
  }

  TempDirectory dir;
  PictureUserInterface ui;
  qvDriverSettings settings;
  qvGuiImgLib library;
  qvHtmlContext context;
  qvImageConverter images;
};

TEST_F(ConverterTest, EachPictureAtEachSizeIsConvertedOnce) {
  writeRedGif(dir / "a.gif", 8, 4);
  const auto first = add("a.gif");
  ASSERT_TRUE(first);
  EXPECT_EQ(*first, work() + "/0.bmp");
  EXPECT_EQ(add("a.gif"), first);
  const auto wider = add("a.gif", 16, 0);
  ASSERT_TRUE(wider);
  EXPECT_EQ(*wider, work() + "/1.bmp");
  EXPECT_EQ(BmpFile::read(*wider).height, 8);
  EXPECT_EQ(std::count(ui.endings.begin(), ui.endings.end(), "done"), 2);
  images.beginRun();
  EXPECT_EQ(add("a.gif", 16, 0), work() + "/0.bmp");
}

TEST_F(ConverterTest, LocalPicturesByExtensionInAnyCase) {
  writeRedGif(dir / "A.GIF", 2, 2);
  writeJpeg(dir / "b.JPeg", 4, 4, JpegKind::Rgb, std::vector<std::uint8_t>(48, 200), false);
  PngPicture png;
  png.width = png.height = 2;
  png.rows.assign(12, 9);
  writePng(dir / "c.Png", png);
  EXPECT_TRUE(add("A.GIF"));
  EXPECT_TRUE(add("b.JPeg"));
  EXPECT_TRUE(add("c.Png"));
  EXPECT_TRUE(ui.errors.empty()) << ui.errors.front();
}

TEST_F(ConverterTest, FailuresAreReportedOnceWithTheirReason) {
  writeBytes(dir / "empty.gif", {});
  writeBytes(dir / "cut.gif", {'G', 'I', 'F', '8', '9', 'a', 4, 0, 4, 0, 0x80, 0, 0});
  writeBytes(dir / "a.tif", {1, 2, 3});
  EXPECT_FALSE(add("missing.gif"));
  EXPECT_FALSE(add("empty.gif"));
  EXPECT_FALSE(add("cut.gif"));
  EXPECT_FALSE(add("a.tif"));
  const std::vector<std::string> expected = {
      fileURL(dir / "missing.gif") + ": file not found",
      fileURL(dir / "empty.gif") + ": zero-length file",
      "gifToBmp failed for " + fileURL(dir / "cut.gif") + " (damaged or truncated picture)",
      "Unsupported image content-type 'application/octet-stream' for " + fileURL(dir / "a.tif"),
  };
  EXPECT_EQ(ui.errors, expected);
  // Tried once: asking again reports nothing new.
  EXPECT_FALSE(add("cut.gif"));
  EXPECT_FALSE(add("missing.gif"));
  EXPECT_EQ(ui.errors.size(), expected.size());
  EXPECT_EQ(ui.endings.back(), "Unsupported image content-type 'application/octet-stream'");
  EXPECT_FALSE(fs::exists(work() + "/1.bmp"));
}

TEST_F(ConverterTest, OfflineStillReadsLocalPicturesButFetchesNothing) {
  ui.offline = 1;
  writeRedGif(dir / "a.gif", 2, 2);
  EXPECT_TRUE(add("a.gif"));
  EXPECT_FALSE(images.addImage("http://127.0.0.1:9/a.gif", 0, 0, ""));
  EXPECT_TRUE(ui.errors.empty());
}

TEST_F(ConverterTest, SvgConvertsAndWithoutItsLibraryIsAnUnsupportedType) {
  const std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"20\" height=\"10\"/>";
  writeBytes(dir / "a.SVG", {svg.begin(), svg.end()});
  ASSERT_TRUE(library.convertsSvg());
  const auto bitmap = add("a.SVG", 0, 5);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(BmpFile::read(*bitmap).width, 10);

  // The libraries the engine cannot do without, and no more.
  fs::create_directory(dir / "three");
  for (const char* name : {"libcorvane3.so", "libcorvane4.so", "libcorvane5.so"}) {
    fs::copy_file(std::string(CORVANE_BINARY_DIR) + "/" + name, dir.path() / "three" / name);
  }
  qvGuiImgLib three(ui, dir / "three");
  ASSERT_TRUE(three.init());
  qvImageConverter withoutSvg(three, context, work());
  EXPECT_FALSE(withoutSvg.addImage(fileURL(dir / "a.SVG"), 0, 0, ""));
  EXPECT_EQ(ui.errors.back(), "Unsupported image content-type 'image/svg+xml' for " + fileURL(dir / "a.SVG"));
}

TEST_F(ConverterTest, WorkingDirectoryPassConvertsByExtension) {
  writeRedGif(work() + "/x.GIF", 2, 2);
  writeJpeg(work() + "/y.jpg", 2, 2, JpegKind::Grey, std::vector<std::uint8_t>(4, 9), false);
  writeBytes(work() + "/z.png", {1, 2});
  images.convertDirectory();
  EXPECT_TRUE(fs::exists(work() + "/x.bmp"));
  EXPECT_TRUE(fs::exists(work() + "/y.bmp"));
  EXPECT_FALSE(fs::exists(work() + "/z.bmp"));
  std::sort(ui.endings.begin(), ui.endings.end());
  EXPECT_EQ(ui.endings, (std::vector<std::string>{"done", "done", "pngToBmp failed"}));
}

// Image tags convert while their page is parsed; with pictures turned off
// they neither convert nor leave an error text.
TEST(ImageTagTest, TagsConvertWhileParsedAndNothingWithoutPictures) {
  TempDirectory dir;
  HtmlFixture f;
  qvGuiImgLib library(f.ui, CORVANE_BINARY_DIR);
  ASSERT_TRUE(library.init());
  fs::create_directory(dir / "rtf");
  qvImageConverter images(library, f.context, dir / "rtf");
  f.context.imageConverter = &images;
  writeRedGif(dir / "a.gif", 6, 6);
  const std::string page = "<p>x<img src=\"" + fileURL(dir / "a.gif") + "\" width=3 align=right>y</p>";

  const std::string rtf = f.render(page);
  EXPECT_NE(rtf.find("\\{bmr 0.bmp\\}"), std::string::npos) << rtf;
  EXPECT_EQ(BmpFile::read(dir / "rtf/0.bmp").width, 3);

  f.settings.noImages = true;
  const std::string without = f.render(page);
  EXPECT_EQ(without.find("bmr"), std::string::npos) << without;
  EXPECT_EQ(without.find(qvTagImg::kErrorText), std::string::npos) << without;
  EXPECT_FALSE(fs::exists(dir / "rtf/1.bmp"));
  f.context.imageConverter = nullptr;
}

}  // namespace
