// The help project, the fixed targets and the start of the help compiler.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "driver/qvHelpProject.h"
#include "rtf/qvByteSink.h"
#include "ui/qvUserInterface.h"
#include "../support/TempDirectory.h"

namespace fs = std::filesystem;

namespace {

std::string projectText(const qvHelpProjectInput& input) {
  qvStringSink out;
  qvHelpProject::writeProject(out, input);
  return out.text();
}

qvHelpProjectInput sampleInput(int topics) {
  qvHelpProjectInput in;
  in.topicCount = topics;
  in.helpFileName = "HelpFiles/site.hlp";
  in.title = "My Site";
  return in;
}

class RecordingUi : public qvUserInterface {
 public:
  using qvUserInterface::showError;
  using qvUserInterface::statusMessage;
  void showError(const std::string& text, bool) override { errors.push_back(text); }
  void statusMessage(const std::string& text, bool) override { messages.push_back(text); }
  void beginStatusLine(const std::string& text) override { line = text; }
  void endStatusLine(const std::string& text, bool, bool) override { lines.push_back(line + text); }
  bool runHcRtf(const char* commandLine, const char* directory) override {
    command = commandLine;
    hadDirectory = directory != nullptr;
    return compilerStarts;
  }
  bool compilerStarts = true;
  bool hadDirectory = true;
  std::string command, line;
  std::vector<std::string> errors, messages, lines;
};

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

TEST(ProjectFilesTest, ListsTopicsThenTargetsAndPopupsWithCrLf) {
  const std::string text = projectText(sampleInput(3));
  EXPECT_EQ(text,
            "[OPTIONS]\r\nHCW=0\r\nNOTES=0\r\nREPORT=No\r\nHLP=HelpFiles/site.hlp\r\n\r\n"
            "[FILES]\r\nout0.rtf\r\nout1.rtf\r\nout2.rtf\r\ntargets.rtf\r\npopups.rtf\r\n\r\n"
            "[WINDOWS]\r\nmain=\"My Site\",(144,30,749,957),61700,(r16777215),(r16777215),f2\r\n\r\n"
            "[CONFIG]\r\nCreateButton(topFile, \"Start\", JumpID (documentID0))\r\n"
            "RegisterRoutine(\"user.exe\",\"SetWindowLong\",\"Uii\")\r\n");
}

TEST(ProjectFilesTest, EmptyRunStillNamesTargetsAndPopups) {
  const std::string text = projectText(sampleInput(0));
  EXPECT_NE(text.find("[FILES]\r\ntargets.rtf\r\npopups.rtf\r\n\r\n"), std::string::npos);
  EXPECT_EQ(text.find(".rtf\r\nout"), std::string::npos);
  EXPECT_EQ(text.find("out0"), std::string::npos);
}

TEST(ProjectFilesTest, OptionalLinesOnlyWhenDue) {
  qvHelpProjectInput in = sampleInput(1);
  in.mainColour = 0xC0C0C0;
  in.nonScrollColour = 0xE2FFFF;
  in.browseButtons = true;
  in.helpIds = {{"IDH_Intro", 1}, {"idh_more", 2}};
  const std::string text = projectText(in);
  EXPECT_NE(text.find("(r12632256),(r14876671),f2\r\n"), std::string::npos);
  EXPECT_NE(text.find("JumpID (documentID0))\r\nBrowsebuttons()\r\nRegisterRoutine"), std::string::npos);
  EXPECT_TRUE(text.ends_with("\"Uii\")\r\n\r\n[MAP]\r\nIDH_Intro=1\r\nidh_more=2\r\n"));
  EXPECT_EQ(projectText(sampleInput(1)).find("Browsebuttons"), std::string::npos);
}

TEST(ProjectFilesTest, TargetsHoldWhoopsAndEveryFixedTopic) {
  qvStringSink out;
  qvHelpProject::writeTargets(out);
  const std::string text = out.text();
  EXPECT_TRUE(text.starts_with("{\\rtf1\r\n{\\fonttbl\r\n\\f0\\fswiss Arial;\r\n"));
  EXPECT_NE(text.find("}\r\n\\deff0\r\n\\fs20\r\n#{\\footnote # whoops}\r\n"), std::string::npos);
  std::size_t last = 0;
  for (const char* name : {"excluded", "unsupportedprotocol", "unknownprotocol", "brokenlink", "unknowncontent",
                           "norobots", "notfetched", "notfollowed", "nofollow", "suspectCGI", "image", "enough"}) {
    const auto at = text.find(std::string("#{\\footnote # ") + name + "}\r\n");
    ASSERT_NE(at, std::string::npos) << name;
    EXPECT_GT(at, last) << name << " out of order";
    last = at;
  }
  EXPECT_TRUE(text.ends_with("expired.\r\n\\page\r\n}\r\n"));
  EXPECT_EQ(text.find("\n\n"), std::string::npos);
}

TEST(ProjectFilesTest, BuildWritesBothFilesAndStartsCompiler) {
  TempDirectory dir;
  RecordingUi ui;
  qvHelpProject project(ui, dir.path().string());
  EXPECT_TRUE(project.build(sampleInput(2)));
  EXPECT_EQ(slurp(dir.path() / "project.hpj"), projectText(sampleInput(2)));
  EXPECT_TRUE(slurp(dir.path() / "targets.rtf").starts_with("{\\rtf1\r\n"));
  EXPECT_EQ(ui.command, "hcrtf /nc /xh rtf/project.hpj");
  EXPECT_FALSE(ui.hadDirectory);
  EXPECT_EQ(ui.lines, std::vector<std::string>{"Running Help Compiler ... "});
}

TEST(ProjectFilesTest, WriteFailureReportedAndCompilerStillRuns) {
  RecordingUi ui;
  ui.compilerStarts = false;
  qvHelpProject project(ui, "/nonexistent-corvane-dir/rtf");
  EXPECT_FALSE(project.build(sampleInput(1)));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_TRUE(ui.messages[0].starts_with("IO Exception : /nonexistent-corvane-dir/rtf/project.hpj"));
  EXPECT_EQ(ui.lines, std::vector<std::string>{"Running Help Compiler ... failed"});
  EXPECT_EQ(ui.errors, std::vector<std::string>{"Failed to run help compiler"});
}
