// Seeding a run from a local tree, and the reasons given for URLs that were
// not converted.
#include <gtest/gtest.h>
#include <filesystem>

#include "CrawlTestSupport.h"
#include "base/qvDriverSettings.h"
#include "driver/qvLocalScanner.h"
#include "url/qvURLTable.h"
#include "url/qvUrlOutcome.h"

using crawltest::RecordingUi;
using crawltest::TempDir;

namespace {

struct ScanFixture : ::testing::Test {
  qvDriverSettings settings;
  qvURLTable table{settings};
  RecordingUi ui;
  qvLocalScanner scanner{table, ui};
  TempDir dir;
};

std::vector<std::string> localFiles(const qvURLTable& table) {
  std::vector<std::string> out;
  for (const auto& s : table.statuses()) out.push_back(s.localFile.value_or("?"));
  return out;
}

}  // namespace

TEST_F(ScanFixture, FilesFirstThenSubdirectoriesInNameOrder) {
  dir.write("b.html", "b");
  dir.write("a.HTM", "a");
  dir.write("notes.txt", "skipped");
  dir.write("sub/z.shtml", "z");
  dir.write("sub/deeper/c.htm", "c");
  dir.write("asub/y.html", "y");
  dir.write("asub/index.htm", "i");
  const std::string root = dir.path().string();
  const int next = scanner.scanLocal(root, 0);
  const std::vector<std::string> expected = {root + "/a.HTM",       root + "/b.html",
                                             root + "/asub/index.htm", root + "/asub/y.html",
                                             root + "/sub/z.shtml",    root + "/sub/deeper/c.htm"};
  EXPECT_EQ(localFiles(table), expected);
  // Each file and each directory walked advances the count.
  EXPECT_EQ(next, 10);
  EXPECT_EQ(table.statuses()[4].seedNumber, 5);  // asub took 2 to 4
  ASSERT_NE(table.startURL(), nullptr);
  EXPECT_EQ(table.startURL()->localFile, root + "/a.HTM");
  EXPECT_EQ(ui.messages.front(), "Scanning " + root + "/ ...");
  EXPECT_EQ(ui.messages[1], "  adding " + root + "/a.HTM");
  for (const auto& s : table.statuses()) EXPECT_EQ(s.depth, 0);
}

TEST_F(ScanFixture, IndexPageLeadsItsDirectory) {
  dir.write("about.html", "a");
  dir.write("index.html", "i");
  dir.write("index.htm", "j");
  scanner.scanLocal(dir.path().string(), 0);
  EXPECT_EQ(table.startURL()->localFile, (dir.path() / "index.html").string());
  EXPECT_EQ(table.statuses()[1].localFile, (dir.path() / "index.htm").string());
}

TEST_F(ScanFixture, SingleFileAndSymlinkLoop) {
  const std::string file = dir.write("only.html", "x");
  std::filesystem::create_directory_symlink(dir.path(), dir.path() / "loop");
  EXPECT_EQ(scanner.scanLocal(file, 4), 5);
  EXPECT_EQ(table.size(), 1u);
  // The directory holds itself through "loop": the walk must still end, and
  // the file reached twice is one status.
  scanner.scanLocal(dir.path().string(), 5);
  EXPECT_EQ(table.size(), 1u);
}

TEST_F(ScanFixture, CancelEndsTheScan) {
  for (int i = 0; i < 5; ++i) dir.write("p" + std::to_string(i) + ".html", "x");
  ui.cancelAfter = 3;
  EXPECT_THROW(scanner.scanLocal(dir.path().string(), 0), qvCancelException);
  EXPECT_LT(table.size(), 5u);
}

TEST_F(ScanFixture, ReasonsFollowTheirOrder) {
  qvURLStatus& s = *table.addURL("http://example.com/a.html", 0, 0);
  EXPECT_FALSE(qvUrlOutcome::reason(s).has_value());
  s.brokenLink = true;
  s.outsideRange = true;
  s.stoppedByEnough = true;
  EXPECT_EQ(qvUrlOutcome::flagReason(s), "skipped due to enough button or max time");
  s.converted = true;  // enough only counts for a page that was not converted
  EXPECT_EQ(qvUrlOutcome::flagReason(s), "outside retrieval range");
  s.converted = false;
  s.stoppedByEnough = false;
  s.outsideRange = false;
  EXPECT_EQ(qvUrlOutcome::reason(s), "broken link");
  EXPECT_EQ(s.failureText, "broken link");

  qvURLStatus& t = *table.addURL("http://example.com/b.html", 0, 0);
  t.brokenLink = true;
  t.failureText = "404 Not Found";
  EXPECT_EQ(qvUrlOutcome::reason(t), "404 Not Found");

  qvURLStatus& start = *table.addURL("http://example.com/c.html", 0, 0);
  start.outsideRange = true;
  EXPECT_EQ(qvUrlOutcome::startUrlReport(start), "URL http://example.com/c.html : outside retrieval range");
}

TEST_F(ScanFixture, PopupLinesDependOnTheTarget) {
  qvURLStatus& s = *table.addURL("http://example.com/a.html", 0, 0);
  EXPECT_EQ(qvUrlOutcome::popupReasonLine(s, false),
            "\\cf1 Corvane had not yet fully processed this link before retrievals stopped.");
  s.noRobots = true;
  EXPECT_EQ(qvUrlOutcome::popupReasonLine(s, false),
            "\\cf1 This link was not retrieved because the webmaster had barred robots from doing so.");
  s.stoppedByEnough = true;
  EXPECT_NE(qvUrlOutcome::popupReasonLine(s, false).find("'Enough' button"), std::string::npos);
  EXPECT_NE(qvUrlOutcome::popupReasonLine(s, true).find("suspected to be CGI"), std::string::npos);
}
