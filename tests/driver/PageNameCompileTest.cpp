// Names that pages give to anchors and elements end up as context strings
// in the topic and in the project's [MAP] section. Whatever bytes a page
// puts there, the help compiler must take the project without a word of
// complaint, and every jump and every mapped number must land where the
// page put the name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "../rtf/RtfCheck.h"
#include "../support/ViewerTool.h"
#include "CrawlTestSupport.h"

using crawltest::slurp;
using crawltest::TempDir;
namespace fs = std::filesystem;

namespace {

// Lines of `text` that hold `word`, case ignored.
std::string linesWith(const std::string& text, const std::string& word) {
  std::string found;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::string lowered = line;
    for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lowered.find(word) != std::string::npos) found += line + "\n";
  }
  return found;
}

}  // namespace

TEST(PageNameCompileTest, HostileNamesCompileCleanlyAndEveryJumpAndMapEntryLands) {
  TempDir work;
  const std::string longName = "idh_" + std::string(150, 'L') + "{" + std::string(150, '}');
  work.write("site/index.html",
             "<html><head><title>Names</title></head><body>"
             "<p><a name=\"idh_}\">brace</a> <a name='idh_a b'>blank</a> <a name=\"idh_back\\slash\">slash</a>"
             " <a name=\"idh_caf\xe9\">accent</a> <a name=\"IDH_Plain\">plain</a>"
             " <div id=\"idh_{div}\">division</div> <a name=\"" + longName + "\">long</a></p>"
             "<p><a href=\"#idh_}\">to brace</a> <a href=\"#idh_a b\">to blank</a>"
             " <a href=\"second.html#idh_x{y}\">to second</a></p></body></html>");
  work.write("site/second.html",
             "<html><head><title>Second</title></head><body><p>text<a name=\"idh_x{y}\">here</a>"
             " <a href=\"index.html#" + longName + "\">back to long</a></p></body></html>");
  const fs::path help = work.path() / "names.hlp";
  const ViewerRun engine = runShellCommand("cd '" + work.path().string() + "' && CORVANE_REGISTRY='" +
                                           (work.path() / "registry.reg").string() + "' '" CORVANE_BINARY_DIR
                                           "/corvane' -batch '" + (work.path() / "site").string() + "' -out '" +
                                           help.string() + "'");
  ASSERT_EQ(engine.status, 0) << engine.output;
  EXPECT_EQ(linesWith(engine.output, "warning"), "") << engine.output;
  EXPECT_EQ(linesWith(engine.output, "error"), "") << engine.output;
  EXPECT_EQ(linesWith(engine.output, "without a matching"), "") << engine.output;
  for (const char* topic : {"out0.rtf", "out1.rtf"}) {
    const std::vector<std::string> problems = rtfcheck::problems(slurp(work.path() / "rtf" / topic));
    EXPECT_TRUE(problems.empty()) << topic << ": " << problems.front();
  }

  // Seven idh_ names on the first page, one on the second: each number of
  // the map leads into the topic that holds the name.
  const ViewerRun map = runShellCommand("'" CORVANE_BINARY_DIR "/hlpdump' '" + help.string() + "' --map");
  ASSERT_EQ(map.status, 0) << map.output;
  for (int number = 1; number <= 8; ++number) {
    const std::string title = number == 8 ? "\"Second\"" : "\"Names\"";
    EXPECT_NE(map.output.find("\n" + std::to_string(number) + " -> "), std::string::npos) << map.output;
    const std::string entry = linesWith(map.output, std::to_string(number) + " -> ");
    EXPECT_NE(entry.find(title), std::string::npos) << number << ": " << map.output;
  }
}
