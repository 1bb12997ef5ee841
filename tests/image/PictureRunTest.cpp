// Whole runs of the engine on trees with pictures: converted, compiled into
// the help file and read back; without pictures; without the libraries; and
// over HTTP from nginx, with a redirect, a missing picture and a server that
// names JPEG "image/jpg".

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/NginxServer.h"
#include "tests/support/PictureEncoders.h"
#include "tests/support/TempDirectory.h"

using namespace picture_encoders;
namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int countOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

// Runs `program` in batch mode in `work`; its exit status.
int runEngine(const fs::path& work, const std::string& arguments, const std::string& program = CORVANE_BINARY_DIR "/corvane") {
  const std::string command = "cd '" + work.string() + "' && CORVANE_REGISTRY='" + work.string() +
                              "/registry.reg' '" + program + "' -batch " + arguments + " >engine.out 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Every topic file of a run, one after the other.
std::string topics(const fs::path& work) {
  std::string all;
  for (int n = 0; fs::exists(work / "rtf" / ("out" + std::to_string(n) + ".rtf")); ++n) {
    all += slurp(work / "rtf" / ("out" + std::to_string(n) + ".rtf"));
  }
  return all;
}

// The pictures the help file holds, as hlpdump lists its internal files.
int picturesInHelpFile(const fs::path& work) {
  for (const auto& entry : fs::directory_iterator(work / "HelpFiles")) {
    if (entry.path().extension() != ".hlp") continue;
    const std::string command = "'" CORVANE_BINARY_DIR "/hlpdump' '" + entry.path().string() + "' --files > '" +
                                (work / "dump.txt").string() + "' 2>&1";
    if (std::system(command.c_str()) != 0) return -1;
    return countOf(slurp(work / "dump.txt"), "\"|bm");
  }
  return -1;
}

// A page with a GIF (red, its edge transparent), a JPEG (blue), a PNG (green
// with a half-transparent band), the GIF again scaled by width only, and a
// link to a picture of its own.
void writeTree(const fs::path& root) {
  fs::create_directories(root);
  GifPicture gif;
  gif.screenWidth = gif.width = 40;
  gif.screenHeight = gif.height = 30;
  gif.palette = {{255, 0, 0}, {0, 0, 0}};
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) gif.indices.push_back(x < 4 || x >= 36 || y < 4 || y >= 26 ? 1 : 0);
  }
  gif.transparent = 1;
  writeGif((root / "red.gif").string(), gif);
  std::vector<std::uint8_t> blue;
  for (int i = 0; i < 48 * 32; ++i) blue.insert(blue.end(), {0, 0, 255});
  writeJpeg((root / "blue.JPG").string(), 48, 32, JpegKind::Rgb, blue, true);
  PngPicture png;
  png.width = 50;
  png.height = 20;
  png.colourType = 6;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 50; ++x) png.rows.insert(png.rows.end(), {0, 200, 0, static_cast<std::uint8_t>(y < 10 ? 255 : 128)});
  }
  writePng((root / "green.png").string(), png);
  std::ofstream((root / "index.html").string())
      << "<html><head><title>Pictures</title></head><body><h1>Pictures</h1>\n"
         "<p>GIF <img src=\"red.gif\"> JPEG <img src=\"blue.JPG\"> PNG <img src=\"green.png\"></p>\n"
         "<p>Scaled <img src=\"red.gif\" width=\"80\"></p>\n"
         "<p><a href=\"green.png\">the green picture alone</a></p></body></html>\n";
}

TEST(PictureRunTest, LocalTreeConvertsAndCompilesEveryPicture) {
  TempDirectory work;
  writeTree(work.path() / "tree");
  ASSERT_EQ(runEngine(work.path(), "-gr '" + (work.path() / "tree").string() + "'"), 0) << slurp(work.path() / "engine.out");
  const std::string rtf = topics(work.path());
  EXPECT_EQ(rtf.find("[Image error]"), std::string::npos) << slurp(work.path() / "engine.out");
  EXPECT_EQ(countOf(rtf, "\\{bmc "), 5) << rtf;
  // red.gif at its own size and at 80 wide, blue, green twice (tag and page).
  EXPECT_TRUE(fs::exists(work.path() / "rtf/3.bmp"));
  EXPECT_FALSE(fs::exists(work.path() / "rtf/4.bmp"));
  EXPECT_EQ(picturesInHelpFile(work.path()), 4);
}

TEST(PictureRunTest, NoImagesConvertsAndWritesNothing) {
  TempDirectory work;
  writeTree(work.path() / "tree");
  ASSERT_EQ(runEngine(work.path(), "-noim '" + (work.path() / "tree").string() + "'"), 0);
  const std::string rtf = topics(work.path());
  EXPECT_FALSE(rtf.empty());
  EXPECT_EQ(rtf.find("[Image error]"), std::string::npos);
  EXPECT_EQ(rtf.find("bmc"), std::string::npos);
  EXPECT_FALSE(fs::exists(work.path() / "rtf/0.bmp"));
}

TEST(PictureRunTest, MissingLibraryEndsStartUp) {
  TempDirectory work;
  writeTree(work.path() / "tree");
  // The engine alone in a folder: its libraries are nowhere to be found.
  fs::copy_file(CORVANE_BINARY_DIR "/corvane", work.path() / "corvane");
  const int status = runEngine(work.path(), "'" + (work.path() / "tree").string() + "'", (work.path() / "corvane").string());
  EXPECT_EQ(status, 1);
  EXPECT_NE(slurp(work.path() / "engine.out").find("Graphics converter initialise failed (failed to load libcorvane3.so)"),
            std::string::npos)
      << slurp(work.path() / "engine.out");
}

TEST(PictureRunTest, PicturesOverHttp) {
  if (!NginxServer::installed()) GTEST_SKIP() << "nginx missing (package nginx)";
  TempDirectory work;
  const fs::path root = work.path() / "site";
  writeTree(root);
  fs::copy_file(root / "blue.JPG", root / "odd.jpg");
  std::ofstream(root / "index.html", std::ios::app)
      << "<p>Moved <img src=\"moved.gif\"> Gone <img src=\"gone.gif\"> <a href=\"odd.jpg\">odd</a></p>\n"
         "<p>Four redirects <img src=\"r1.gif\"> five <img src=\"s1.gif\"></p>\n";
  std::string chains;
  for (int i = 1; i <= 4; ++i) {
    chains += "location = /r" + std::to_string(i) + ".gif { return 302 /" + (i == 4 ? std::string("red") : "r" + std::to_string(i + 1)) + ".gif; }\n";
  }
  for (int i = 1; i <= 5; ++i) {
    chains += "location = /s" + std::to_string(i) + ".gif { return 302 /" + (i == 5 ? std::string("red") : "s" + std::to_string(i + 1)) + ".gif; }\n";
  }
  fs::create_directory(work.path() / "nginx");
  NginxServer server(root.string(), (work.path() / "nginx").string(),
                     "location = /moved.gif { return 302 /red.gif; }\n"
                     "location = /odd.jpg { types { } default_type image/jpg; }\n" + chains);
  ASSERT_TRUE(server.ready()) << server.errorLog();
  ASSERT_EQ(runEngine(work.path(), "'" + server.url("/index.html") + "'"), 0) << slurp(work.path() / "engine.out");
  const std::string rtf = topics(work.path());
  const std::string out = slurp(work.path() / "engine.out");
  // Only the missing picture and the fifth redirect fail, and say why.
  EXPECT_EQ(countOf(rtf, "[Image error]"), 2) << out;
  EXPECT_NE(out.find("Error during GET of " + server.url("/gone.gif") + ": "), std::string::npos) << out;
  EXPECT_NE(out.find(server.url("/s1.gif") + ": Too many redirects"), std::string::npos) << out;
  // red.gif twice, blue, green twice, the moved one, the one four redirects
  // away, odd.jpg as a page.
  EXPECT_EQ(countOf(rtf, "\\{bmc "), 8) << rtf;
  EXPECT_EQ(picturesInHelpFile(work.path()), 7);
}

}  // namespace
