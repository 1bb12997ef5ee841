// Help projects that other people wrote, kept with their licences in
// tests/hcrtf/projects: each compiles with only the warnings its sources
// deserve, every jump and jump macro into the file lands on a topic, and
// (when Wine is installed) the viewer opens the file at its contents topic.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "CompilerTestSupport.h"
#include "../../support/ViewerTool.h"

namespace fs = std::filesystem;

namespace {

struct RealProject {
  const char* name;          // folder under tests/hcrtf/projects
  const char* placedAt;      // where the project's files go in the temporary folder
  const char* projectFile;
  const char* helpFile;      // where the project's HLP= puts the help file
  std::vector<const char*> expectedWarnings;  // each matched by exactly one warning
  const char* topics;        // as hcrtf reports the count
  const char* system;        // a line the [system] section must have
  std::vector<const char*> contentsWords;  // words the viewer shows at start (none: text OCR cannot read)
  const char* click = nullptr;             // a button on the contents topic, in screen pixels
  const char* afterClick = nullptr;        // a word of the topic the button opens
};

// CHI.hpj writes its help file three folders up, into Exe, as it did in its
// source tree.
const RealProject kProjects[] = {
    // Its first button ("»", the window's place comes from [WINDOWS]) runs
    // JumpId(USINGGUI).
    {"chi", "Src/CHI/Help", "CHI.hpj", "Exe/CHI.hlp", {}, "32 topics", "title: \"CHI Help\"",
     {"Component", "Installer"}, "671,299", "tabbed"},
    {"sysinfo", ".", "PJSysInfo.hpj", "PJSysInfo.hlp", {}, "64 topics",
     "title: \"DelphiDabbler System Information Help\"", {"PJSysInfo", "static"}},
    // Written in Word with Cyrillic text; its pictures are pasted into the
    // document, and one context string has parentheses.
    {"tep", ".", "help.hpj", "help.hlp",
     {"help.rtf:33: warning: 3 picture(s) or object(s) embedded in the RTF left out",
      "help.rtf:7978: warning: context string 'real_time(report)'"},
     "15 topics", "charset: 204", {}},
};

// Test names and failures show the project by its folder.
void PrintTo(const RealProject& project, std::ostream* out) { *out << project.name; }

std::vector<std::string> diagnosticLines(const std::string& output) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < output.size()) {
    const std::size_t end = std::min(output.find('\n', start), output.size());
    const std::string line = output.substr(start, end - start);
    if (line.find("warning:") != std::string::npos || line.find("error:") != std::string::npos) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

class RealProjectTest : public ::testing::TestWithParam<RealProject> {};

}  // namespace

TEST_P(RealProjectTest, CompilesEveryJumpLandsAndTheViewerOpensIt) {
  const RealProject& project = GetParam();
  TempDirectory dir;
  const fs::path source = fs::path(CORVANE_SOURCE_DIR) / "tests" / "hcrtf" / "projects" / project.name;
  const fs::path placed = dir.path() / project.placedAt;
  fs::create_directories(placed);
  fs::create_directories(dir.path() / fs::path(project.helpFile).parent_path());
  fs::copy(source, placed, fs::copy_options::recursive);

  int status = 0;
  const std::string out =
      runCommand("cd '" + placed.string() + "' && " + HCRTF_PATH + " " + project.projectFile, status);
  ASSERT_EQ(status, 0) << out;
  EXPECT_NE(out.find(project.topics), std::string::npos) << out;
  const std::vector<std::string> warnings = diagnosticLines(out);
  EXPECT_EQ(warnings.size(), project.expectedWarnings.size()) << out;
  for (const char* expected : project.expectedWarnings) {
    const auto matches = std::count_if(warnings.begin(), warnings.end(),
                                       [&](const std::string& w) { return w.find(expected) != std::string::npos; });
    EXPECT_EQ(matches, 1) << expected << "\n" << out;
  }

  const fs::path help = dir.path() / project.helpFile;
  const std::string dumped = runCommand(std::string(HLPDUMP_PATH) + " '" + help.string() + "' --system --targets", status);
  ASSERT_EQ(status, 0) << dumped;
  EXPECT_NE(dumped.find(project.system), std::string::npos) << dumped;
  EXPECT_NE(dumped.find("undefined: 0\n"), std::string::npos) << dumped;
  EXPECT_EQ(dumped.find("checked: 0\n"), std::string::npos) << dumped;

  int found = 0;
  runCommand("command -v wine && command -v Xvfb && command -v xdotool && command -v tesseract", found);
  if (found != 0 || viewerTool().empty()) GTEST_SKIP() << "no viewer to open the file in";
  const std::string base = viewerTool() + " '" + help.string() + "' '" + (dir.path() / "shot.png").string() +
                           "' --window-only --strict" + viewerTimeoutOption();
  std::string atStart = base;
  for (const char* word : project.contentsWords) atStart += std::string(" --expect-text ") + word;
  ViewerRun run = runViewer(atStart);
  EXPECT_EQ(run.status, 0) << run.output;
  if (!project.click) return;
  run = runViewer(base + " --click " + project.click + " --wait 2 --expect-text " + project.afterClick);
  EXPECT_EQ(run.status, 0) << run.output;
}

INSTANTIATE_TEST_SUITE_P(Collected, RealProjectTest, ::testing::ValuesIn(kProjects),
                         [](const ::testing::TestParamInfo<RealProject>& info) { return std::string(info.param.name); });
