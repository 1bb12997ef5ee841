#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "../html/HtmlTestSupport.h"
#include "../support/TempDirectory.h"
#include "driver/qvHtmlCleanFilter.h"
#include "driver/qvTemporaryFiles.h"
#include "net/qvTCP.h"
#include "rtf/qvLineWriter.h"

namespace fs = std::filesystem;

namespace {

class WorkDirectory : public ::testing::Test {
 protected:
  std::string touch(const std::string& name) {
    const std::string path = dir + "/" + name;
    std::ofstream(path) << "x";
    return path;
  }
  bool exists(const std::string& name) const { return fs::exists(dir + "/" + name); }

  TempDirectory temp;
  std::string dir = temp.path().string();
  RecordingUserInterface ui;
};

TEST_F(WorkDirectory, RunStartRemovesOnlyExactLowerCaseLeftOvers) {
  for (const char* name : {"documentID1.tmp", "out1.rtf", "project.hpj", "a.bmp", "b.gif", "c.jpg", "d.png",
                           "e.fts", "f.dat", "g.xbm"}) {
    touch(name);
  }
  for (const char* name : {"documentID3.TMP", ".tmp", "notes.txt", "x.data", "y.tmpx", "keep.Rtf"}) touch(name);
  ::chmod(touch("locked.tmp").c_str(), 0444);
  fs::create_directory(dir + "/pictures.bmp");
  cleanRunFiles(dir, ui);
  for (const char* gone : {"documentID1.tmp", "out1.rtf", "project.hpj", "a.bmp", "g.xbm", "f.dat"}) {
    EXPECT_FALSE(exists(gone)) << gone;
  }
  for (const char* kept : {"documentID3.TMP", ".tmp", "notes.txt", "x.data", "y.tmpx", "keep.Rtf", "locked.tmp",
                           "pictures.bmp"}) {
    EXPECT_TRUE(exists(kept)) << kept;
  }
}

TEST_F(WorkDirectory, RunStartShowsProgressAndStopsOnCancel) {
  for (int i = 0; i < 250; ++i) touch("f" + std::to_string(i) + ".tmp");
  ui.status = 0x08;
  cleanRunFiles(dir, ui);
  ASSERT_EQ(ui.statusTexts.size(), 1u);
  EXPECT_EQ(ui.statusTexts[0], "Cleaning up temporary files.");
  long left = std::distance(fs::directory_iterator(dir), fs::directory_iterator());
  EXPECT_EQ(left, 250 - 99);
  ui.status = 0;
  cleanRunFiles(dir, ui);
  EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(WorkDirectory, NetworkCleanUpSaysWhetherAnyWorkFileWasThere) {
  qvTCP tcp(ui, dir);
  EXPECT_FALSE(tcp.cleanupTempFiles());
  touch("README");
  touch("archive.html");
  EXPECT_FALSE(tcp.cleanupTempFiles());
  touch("notes.txt");
  touch("url.dat");
  EXPECT_TRUE(tcp.cleanupTempFiles());
  EXPECT_FALSE(exists("url.dat"));
  EXPECT_TRUE(exists("notes.txt"));
  EXPECT_FALSE(qvTCP(ui, dir + "/missing").cleanupTempFiles());
}

TEST_F(WorkDirectory, ExitRemovesWhatTheFilterAccepts) {
  touch("documentID3.TMP");
  touch("pic.Data");
  touch("notes.txt");
  ::chmod(touch("locked.rtf").c_str(), 0444);
  fs::create_directory(dir + "/x.bmp");
  cleanTemporaries(dir, ui);
  EXPECT_EQ(ui.statusLine.rfind("Cleaning up temporary files ", 0), 0u);
  EXPECT_FALSE(exists("documentID3.TMP"));
  EXPECT_FALSE(exists("pic.Data"));
  EXPECT_TRUE(exists("notes.txt"));
  EXPECT_TRUE(exists("locked.rtf"));
  EXPECT_TRUE(exists("x.bmp"));
}

TEST_F(WorkDirectory, FilterCountsAndShowsADotEveryHundredNames) {
  qvHtmlCleanFilter filter(ui);
  ui.statusLine.clear();
  const long before = qvHtmlCleanFilter::count();
  int dots = 0;
  for (int i = 0; i < 300; ++i) {
    filter.accept(dir, "a.txt");
    if ((before + i) % 100 == 99) ++dots;
  }
  EXPECT_EQ(qvHtmlCleanFilter::count(), before + 300);
  EXPECT_EQ(ui.statusLine, std::string(static_cast<std::size_t>(dots), '.'));
  EXPECT_TRUE(filter.accept(dir, "A.GIF"));
  EXPECT_FALSE(filter.accept(dir, "a.gifx"));
}

TEST(LineWriter, LinesEndWithCarriageReturnAndLineFeed) {
  qvStringSink sink;
  writeLine(sink, "{\\rtf1");
  writeBlankLine(sink);
  writeLine(sink, "");
  EXPECT_EQ(sink.text(), "{\\rtf1\r\n\r\n\r\n");
}

}  // namespace
