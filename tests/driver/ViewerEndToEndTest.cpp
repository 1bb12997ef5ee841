// The whole pipeline as a user runs it: `corvane -batch` converts a site,
// starts our help compiler, and the help file it leaves is opened in a real
// viewer (Wine's winhlp32 under Xvfb, driven by the shared hlp-view tool).
// hlp-view calls any window that opens a success, so these tests also read
// the titles it reports: a crashed viewer shows up as its debugger's window.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "CrawlTestSupport.h"
#include "../support/ViewerTool.h"

using crawltest::slurp;
using crawltest::TempDir;
namespace fs = std::filesystem;

namespace {

// Empty when the viewer can run here, else why not.
std::string viewerMissing() {
  const ViewerRun tools = runShellCommand("command -v wine && command -v Xvfb && command -v xdotool && command -v tesseract");
  if (tools.status != 0) return "wine, Xvfb, xdotool or tesseract is not installed";
  if (viewerTool().empty()) return "hlp-view not found (set HLPVIEW)";
  return {};
}

// The titles of every window hlp-view saw: lines "window: ID ... "TITLE"" and
// "main-window: ID "TITLE"".
std::vector<std::string> windowTitles(const std::string& viewerOutput) {
  std::vector<std::string> titles;
  std::istringstream lines(viewerOutput);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("window:", 0) != 0 && line.rfind("main-window:", 0) != 0) continue;
    const auto open = line.find('"');
    const auto close = line.rfind('"');
    if (open != std::string::npos && close > open) titles.push_back(line.substr(open + 1, close - open - 1));
  }
  return titles;
}

// Converts `site` in a fresh work directory; the help file's path, or a
// failure naming what the engine printed.
fs::path convert(const TempDir& work, const fs::path& site, const std::string& helpName) {
  const fs::path help = work.path() / "HelpFiles" / helpName;
  const ViewerRun engine = runShellCommand("cd '" + work.path().string() + "' && CORVANE_REGISTRY='" +
                                   (work.path() / "registry.reg").string() + "' '" CORVANE_BINARY_DIR
                                   "/corvane' -batch '" + site.string() + "' -out '" + help.string() + "'");
  EXPECT_EQ(engine.status, 0) << engine.output;
  EXPECT_TRUE(fs::is_regular_file(help)) << engine.output;
  return help;
}

// A Wine prefix of these tests alone (made once, kept between builds).
// Wine processes that outlive a viewer session keep the X display of the
// session that started them, and sessions overlapping in one prefix have
// been seen to crash one of Wine's own processes, whose debugger window then
// lands on a viewer's display. So every session here runs alone (a lock)
// and starts and ends with no Wine process of this prefix left.
std::string viewerCommand(const std::string& arguments) {
  const std::string prefix = (fs::temp_directory_path() / "corvane-viewer-e2e-wineprefix").string();
  const std::string stopWine = "WINEPREFIX='" + prefix + "' wineserver -k >/dev/null 2>&1; ";
  const std::string session = stopWine + "HLPVIEW_WINEPREFIX='" + prefix + "' '" + viewerTool() + "' " + arguments +
                              "; status=\\$?; " + stopWine + "exit \\$status";
  return "flock '" + prefix + ".session-lock' sh -c \"" + session + "\"";
}

// Opens `help` in the viewer with `options` and checks that the help window
// itself opened, titled `title`, and that nothing else did.
void expectViewerShows(const fs::path& help, const std::string& title, const std::string& options) {
  const fs::path shot = help.parent_path() / "shot.png";
  const ViewerRun viewer = runViewer(viewerCommand("'" + help.string() + "' '" + shot.string() + "' --window-only" +
                                                   viewerTimeoutOption() + "--expect-title '" + title + "' " + options));
  EXPECT_EQ(viewer.status, 0) << options << "\n" << viewer.output;
  const std::vector<std::string> titles = windowTitles(viewer.output);
  ASSERT_FALSE(titles.empty()) << viewer.output;
  for (const std::string& seen : titles) {
    EXPECT_EQ(seen.rfind(title, 0), 0u) << "unexpected window \"" << seen << "\" (" << options << ")\n"
                                        << viewer.output;
  }
}

}  // namespace

TEST(ViewerEndToEndTest, SampleSiteOpensAtItsStartPageAndEveryPageByContext) {
  if (const std::string why = viewerMissing(); !why.empty()) GTEST_SKIP() << why;
  TempDir work;
  const fs::path help = convert(work, fs::path(CORVANE_SOURCE_DIR) / "sample" / "site", "sample.hlp");
  if (HasFailure()) return;
  // The project the engine writes registers a routine for the topics'
  // background macros; the viewer must cope with it.
  ASSERT_NE(slurp(work.path() / "rtf" / "project.hpj").find("RegisterRoutine("), std::string::npos);

  expectViewerShows(help, "Corvane sample site", "--expect-text 'This small site comes with Corvane'");
  expectViewerShows(help, "Corvane sample site",
                    "--topic documentID1 --expect-text 'Everything is written below the working directory'");
}

TEST(ViewerEndToEndTest, PagesWithBackgroundColoursOpenAtEachTopic) {
  if (const std::string why = viewerMissing(); !why.empty()) GTEST_SKIP() << why;
  TempDir work;
  work.write("site/index.html",
             "<html><head><title>Coloured start</title></head><body bgcolor=\"#ffffcc\">"
             "<h1>Harbour lights</h1><p>Boats rest in the harbour.</p>"
             "<p><a href=\"second.html\">Mountain page</a></p></body></html>");
  work.write("site/second.html",
             "<html><head><title>Mountain page</title></head><body bgcolor=\"#ccffcc\">"
             "<h1>Mountain rivers</h1><p>Rivers flow down the valley.</p>"
             "<p><a href=\"index.html\">Back to the harbour</a></p></body></html>");
  const fs::path help = convert(work, work.path() / "site", "coloured.hlp");
  if (HasFailure()) return;
  // Both topics carry the background macro that calls the registered routine.
  for (const char* topic : {"out0.rtf", "out1.rtf"}) {
    EXPECT_NE(slurp(work.path() / "rtf" / topic).find("SetWindowLong(hwndContext"), std::string::npos) << topic;
  }

  expectViewerShows(help, "Coloured start", "--expect-text 'Boats rest in the harbour'");
  expectViewerShows(help, "Coloured start", "--topic documentID1 --expect-text 'Rivers flow down the valley'");
}
