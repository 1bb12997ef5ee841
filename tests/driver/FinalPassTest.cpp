// The final pass and the project over small local trees: which topic files
// are written, in which order, and what the project lists.
#include <gtest/gtest.h>
#include <filesystem>

#include "CrawlTestSupport.h"
#include "base/qvDriverSettings.h"
#include "driver/qvConversionRun.h"
#include "driver/qvLocalScanner.h"
#include "html/qvHtmlContext.h"
#include "url/qvFileURL.h"

using crawltest::RecordingUi;
using crawltest::slurp;
using crawltest::TempDir;
namespace fs = std::filesystem;

namespace {

struct FinalPassFixture : ::testing::Test {
  qvDriverSettings settings;
  RecordingUi ui;
  qvHtmlContext context{ui, settings};
  TempDir site;
  TempDir work;
  qvConversionRun run{context, work.path().string()};

  void convert(const std::string& start) {
    qvLocalScanner(context.urlTable(), ui).scanLocal((site.path() / start).string(), 0);
    run.crawl();
    if (run.finalPass()) run.project();
  }
  std::string project() { return slurp(work.path() / "project.hpj"); }
  std::string topic(int n) { return slurp(work.path() / ("out" + std::to_string(n) + ".rtf")); }
  std::string url(const std::string& relative) { return qvFileURL::urlForFile((site.path() / relative).string()); }
};

}  // namespace

TEST_F(FinalPassFixture, ThreePagesThenTargetsAndPopups) {
  site.write("index.html",
             "<title>Start</title><a href=\"b.html\">b</a> <a href=\"c.txt\">c</a> <a href=\"gone.html\">gone</a>");
  site.write("b.html", "<title>Second</title><a href=\"index.html\">home</a>");
  site.write("c.txt", "plain {text}\n");
  settings.helpFileName = "/tmp/x.hlp";
  convert("index.html");
  EXPECT_NE(project().find("[FILES]\r\nout0.rtf\r\nout1.rtf\r\nout2.rtf\r\ntargets.rtf\r\npopups.rtf\r\n"),
            std::string::npos);
  EXPECT_NE(project().find("HLP=/tmp/x.hlp\r\n"), std::string::npos);
  // Each page's title reaches its own topic, and the start page's the window.
  EXPECT_NE(project().find("main=\"Start\",(144,30,749,957)"), std::string::npos);
  EXPECT_NE(topic(0).find("${\\footnote Start}"), std::string::npos);
  EXPECT_NE(topic(1).find("${\\footnote Second}"), std::string::npos);
  EXPECT_NE(topic(0).find("#{\\footnote documentID0}"), std::string::npos);
  EXPECT_NE(topic(0).find("{\\uldb\\cf2 b}{\\v documentID1}"), std::string::npos);
  EXPECT_NE(topic(0).find("{\\ul\\cf2 gone}{\\v *popup_0}"), std::string::npos);
  EXPECT_NE(topic(2).find("plain \\'7btext\\'7d\\line"), std::string::npos);
  EXPECT_FALSE(fs::exists(work.path() / "out3.rtf"));
  EXPECT_NE(slurp(work.path() / "popups.rtf").find("#{\\footnote # popup_0}"), std::string::npos);
  EXPECT_TRUE(fs::exists(work.path() / "targets.rtf"));
  // Intermediate files go as soon as their topic is written.
  for (const auto& entry : fs::directory_iterator(work.path())) EXPECT_NE(entry.path().extension(), ".tmp");
  EXPECT_TRUE(ui.logged("URL " + url("gone.html") + " : broken link"));
  EXPECT_TRUE(ui.logged("URL " + url("c.txt") + " : plain text"));
  EXPECT_EQ(ui.command, "hcrtf /nc /xh rtf/project.hpj");
}

TEST_F(FinalPassFixture, FailedStartStillWritesTheOtherPages) {
  site.write("a.html", "a");
  site.write("b.html", "b");
  qvLocalScanner(context.urlTable(), ui).scanLocal((site.path() / "index.html").string(), 0);
  qvLocalScanner(context.urlTable(), ui).scanLocal((site.path() / "a.html").string(), 1);
  qvLocalScanner(context.urlTable(), ui).scanLocal((site.path() / "b.html").string(), 2);
  run.crawl();
  ASSERT_TRUE(run.finalPass());
  run.project();
  EXPECT_TRUE(ui.errored("File '" + (site.path() / "index.html").string() + "' does not exist"));
  EXPECT_NE(topic(0).find("a.html"), std::string::npos);
  EXPECT_NE(topic(1).find("b.html"), std::string::npos);
  EXPECT_NE(project().find("[FILES]\r\nout0.rtf\r\nout1.rtf\r\ntargets.rtf"), std::string::npos);
}

TEST_F(FinalPassFixture, NothingConvertedStillWritesTheProject) {
  site.write("empty.html", "");
  ui.compilerStarts = false;
  convert("empty.html");
  EXPECT_NE(project().find("[FILES]\r\ntargets.rtf\r\npopups.rtf\r\n"), std::string::npos);
  EXPECT_NE(project().find("(r16777215),(r16777215),f2"), std::string::npos);
  EXPECT_TRUE(ui.errored("Zero-length file"));
  EXPECT_TRUE(ui.errored("Failed to run help compiler"));
}

TEST_F(FinalPassFixture, NoStartUrlNoProject) {
  run.crawl();
  EXPECT_FALSE(run.finalPass());
  EXPECT_FALSE(fs::exists(work.path() / "project.hpj"));
}

TEST_F(FinalPassFixture, EnoughMarksWhatWasLeft) {
  site.write("index.html", "<a href=\"a.html\">a</a>");
  site.write("a.html", "a");
  ui.onMessage = [&](const std::string& text) {
    if (text == "URL " + url("index.html")) settings.enough = true;
  };
  convert("index.html");
  EXPECT_TRUE(ui.logged("URL " + url("a.html") + " : skipped due to enough button or max time"));
  EXPECT_NE(slurp(work.path() / "popups.rtf").find("'Enough' button"), std::string::npos);
}

TEST_F(FinalPassFixture, CancelInsideATopicEndsOnlyThatTopic) {
  site.write("index.html", "<a href=\"a.html\">a</a> text");
  site.write("a.html", "second page");
  ui.onMessage = [&](const std::string& text) {
    if (text == "Final processsing") ui.cancelAfter = ui.checks + 2;
  };
  ui.clearCancel = true;
  convert("index.html");
  EXPECT_TRUE(ui.errored("Other Exception (qvCancelException) #1"));
  EXPECT_NE(project().find("[FILES]\r\nout0.rtf\r\ntargets.rtf"), std::string::npos);
  EXPECT_NE(topic(0).find("second page"), std::string::npos);
}

TEST_F(FinalPassFixture, NestedTablesWarnedOncePerPage) {
  site.write("index.html",
             "<table><tr><td><table><tr><td>inner</td></tr></table></td></tr></table><a href=\"b.html\">b</a>");
  site.write("b.html", "<table><tr><td>flat</td></tr></table>");
  convert("index.html");
  const std::vector<std::string> expected = {"Nested tables in " + url("index.html")};
  EXPECT_EQ(ui.warnings, expected);
  EXPECT_TRUE(ui.errored(expected[0]));
  EXPECT_NE(topic(0).find("featured nested tables"), std::string::npos);
  EXPECT_EQ(topic(1).find("featured nested tables"), std::string::npos);
}

TEST_F(FinalPassFixture, JustStopWhileParsingKeepsWhatWasParsedAndSaysSo) {
  std::string page = "<title>Long</title><a href=\"b.html\">b</a>";
  for (int i = 0; i < 2000; ++i) page += "<p>paragraph " + std::to_string(i) + "\n";
  site.write("index.html", page);
  site.write("b.html", "<p>second page");
  int parsingChecks = 0;
  ui.onCheck = [&] {
    if (ui.line.find("Parsing") != std::string::npos && ++parsingChecks == 300) settings.abortCrawl = true;
  };
  convert("index.html");
  const std::string start = topic(0);
  EXPECT_NE(start.find("Note : This URL was not fully retrieved."), std::string::npos);
  EXPECT_NE(start.find("paragraph 10"), std::string::npos);
  EXPECT_EQ(start.find("paragraph 1999"), std::string::npos);
  EXPECT_EQ(start.find("had some elements skipped"), std::string::npos);
}

TEST_F(FinalPassFixture, CompletePagesCarryNoNotes) {
  site.write("index.html", "<title>Whole</title><p>all of it<a href=\"b.txt\">b</a>");
  site.write("b.txt", "plain");
  convert("index.html");
  for (int n : {0, 1}) {
    EXPECT_EQ(topic(n).find("Note : This URL"), std::string::npos) << n;
    EXPECT_NE(topic(n).find("{\\keepn"), std::string::npos) << n;
  }
}

TEST_F(FinalPassFixture, DamagedIntermediateFileLosesOnlyItsTopic) {
  site.write("index.html", "<a href=\"a.html\">a</a> <a href=\"b.html\">b</a>");
  site.write("a.html", "<p>a");
  site.write("b.html", "<p>b");
  qvLocalScanner(context.urlTable(), ui).scanLocal((site.path() / "index.html").string(), 0);
  run.crawl();
  {
    std::ofstream damaged(work.path() / "documentID1.tmp", std::ios::binary | std::ios::app);
    damaged << "\x42junk";
  }
  ASSERT_TRUE(run.finalPass());
  EXPECT_TRUE(ui.errored("Failed to read temp file"));
  EXPECT_NE(topic(1).find("documentID2"), std::string::npos);
  EXPECT_FALSE(fs::exists(work.path() / "out2.rtf"));
}
