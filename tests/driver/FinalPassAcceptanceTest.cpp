// A real conversion of a real documentation tree: the engine is run in
// batch mode on the installed Python documentation (capped so the test stays
// short), every topic file must be readable by an RTF reader, and every jump
// in any topic must lead to a context string that some file of the project
// defines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "CrawlTestSupport.h"

using crawltest::slurp;
using crawltest::TempDir;
namespace fs = std::filesystem;

namespace {

const char* const kDocs = crawltest::kPythonDocs;
constexpr int kPages = 60;

// Context strings a topic file defines: "#{\footnote name}" at the top of a
// topic and "{#{\footnote name}}" for anchors; popups and fixed targets
// write "# " before the name.
void collectDefinitions(const std::string& rtf, std::set<std::string>& out) {
  const std::string marker = "#{\\footnote ";
  for (auto at = rtf.find(marker); at != std::string::npos; at = rtf.find(marker, at + 1)) {
    std::size_t start = at + marker.size();
    if (rtf.compare(start, 2, "# ") == 0) start += 2;
    const auto end = rtf.find('}', start);
    if (end != std::string::npos) out.insert(rtf.substr(start, end - start));
  }
}

// The hidden targets of every hotspot, without the leading '*' or '%' that
// only changes how the hotspot looks.
std::vector<std::string> jumpTargets(const std::string& rtf) {
  std::vector<std::string> out;
  const std::string marker = "{\\v ";
  for (auto at = rtf.find(marker); at != std::string::npos; at = rtf.find(marker, at + 1)) {
    std::size_t start = at + marker.size();
    while (start < rtf.size() && (rtf[start] == '*' || rtf[start] == '%')) ++start;
    if (start < rtf.size() && rtf[start] == '!') continue;  // a macro, not a jump
    const auto end = rtf.find('}', start);
    if (end != std::string::npos) out.push_back(rtf.substr(start, end - start));
  }
  return out;
}

bool haveProgram(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace

TEST(FinalPassAcceptanceTest, PythonDocumentationJumpsLandOnDefinedTopics) {
  if (!fs::is_directory(kDocs)) GTEST_SKIP() << kDocs << " missing (package python3.11-doc)";
  if (!haveProgram("unrtf")) GTEST_SKIP() << "unrtf missing (package unrtf)";
  TempDir work;
  const std::string command = "cd '" + work.path().string() + "' && CORVANE_REGISTRY='" + work.path().string() +
                              "/registry.reg' '" CORVANE_BINARY_DIR "/corvane' -batch -maxurl " +
                              std::to_string(kPages) + " " + kDocs + " >engine.out 2>&1";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status)) << command;
  const int exitCode = WEXITSTATUS(status);
  ASSERT_TRUE(exitCode == 0 || exitCode == 2) << slurp(work.path() / "engine.out");

  const std::string log = slurp(work.path() / "Corvane.log");
  EXPECT_EQ(log.find("NP Exception"), std::string::npos);
  EXPECT_EQ(log.find("Other Exception"), std::string::npos);

  const fs::path rtf = work.path() / "rtf";
  std::set<std::string> defined;
  std::vector<std::string> topics;
  for (int n = 0; fs::exists(rtf / ("out" + std::to_string(n) + ".rtf")); ++n) {
    topics.push_back((rtf / ("out" + std::to_string(n) + ".rtf")).string());
  }
  ASSERT_EQ(topics.size(), static_cast<std::size_t>(kPages));
  for (const auto& file : topics) collectDefinitions(slurp(file), defined);
  collectDefinitions(slurp(rtf / "popups.rtf"), defined);
  collectDefinitions(slurp(rtf / "targets.rtf"), defined);

  const std::string project = slurp(rtf / "project.hpj");
  EXPECT_NE(project.find("out" + std::to_string(kPages - 1) + ".rtf\r\ntargets.rtf\r\npopups.rtf\r\n"),
            std::string::npos);

  std::size_t jumps = 0;
  for (const auto& file : topics) {
    const std::string reader = "unrtf --text '" + file + "' >/dev/null 2>'" + file + ".err'";
    EXPECT_EQ(std::system(reader.c_str()), 0) << file;
    EXPECT_EQ(slurp(file + ".err"), "") << file;
    for (const auto& target : jumpTargets(slurp(file))) {
      ++jumps;
      EXPECT_TRUE(defined.count(target)) << "jump to " << target << " in " << file;
    }
  }
  EXPECT_GT(jumps, 1000u);
  EXPECT_TRUE(defined.count("documentID0"));
}
