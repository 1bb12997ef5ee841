#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <tuple>

#include "CompilerTestSupport.h"
#include "hcrtf/common/HelpHash.h"
#include "hcrtf/compiler/Compiler.h"
#include "hcrtf/compiler/ProjectReader.h"

using namespace hcrtf::compiler;
using hcrtf::helpHash;

namespace {

std::string hex8(std::uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", v);
  return text;
}

std::string dump(const std::filesystem::path& file) {
  int status = 0;
  std::string out = runCommand(std::string(HLPDUMP_PATH) + " '" + file.string() + "'", status);
  EXPECT_EQ(status, 0) << out;
  return out;
}

bool mentions(const std::vector<std::string>& messages, const std::string& part) {
  for (const auto& m : messages) {
    if (m.find(part) != std::string::npos) return true;
  }
  return false;
}

// The project the converter writes, line for line.
const char* kConverterProject =
    "[OPTIONS]\r\nHCW=0\r\nNOTES=0\r\nREPORT=No\r\nHLP=HelpFiles\\site.hlp\r\n\r\n[FILES]\r\nout0.rtf\r\n"
    "out1.rtf\r\ntargets.rtf\r\npopups.rtf\r\n\r\n[WINDOWS]\r\n"
    "main=\"Site Title\",(144,30,749,957),61700,(r16777215),(r12632256),f2\r\n\r\n[CONFIG]\r\n"
    "CreateButton(topFile, \"Start\", JumpID (documentID0))\r\nBrowsebuttons()\r\n"
    "RegisterRoutine(\"user.exe\",\"SetWindowLong\",\"Uii\")\r\n\r\n[MAP]\r\nidh_intro=17\r\n";

std::string topic(const std::string& context, const std::string& title, const std::string& body) {
  return "#{\\footnote " + context + "}\r\n${\\footnote " + title + "}\r\nK{\\footnote " + title +
         ";}\r\n+{\\footnote :auto}\r\n{\\keepn\r\n\\fs35\\b " + title + "\r\n\\par\\pard}\r\n\\cf1\r\n" + body +
         "\\par\\pard\r\n\\page\r\n";
}

struct Compiled {
  CompileResult result;
  std::vector<std::string> messages;
};

Compiled compileProject(const std::filesystem::path& project) {
  Diagnostics diag(nullptr);
  Compiler compiler(diag);
  Compiled c;
  c.result = compiler.compile(project);
  c.messages = diag.messages();
  return c;
}

}  // namespace

TEST(ProjectReaderTest, ReadsTheConverterProject) {
  TempDirectory dir;
  dir.write("rtf/OUT0.RTF", "x");
  Diagnostics diag(nullptr);
  const HelpProject p = ProjectReader(diag).parse(kConverterProject, dir.path() / "rtf" / "project.hpj");
  EXPECT_EQ(p.helpFile, dir.path() / "rtf" / "HelpFiles" / "site.hlp");
  ASSERT_EQ(p.topicFiles.size(), 4u);
  EXPECT_EQ(p.topicFiles[0], dir.path() / "rtf" / "OUT0.RTF");  // found whatever its case
  EXPECT_EQ(p.topicFileLines[3].line, 11);
  ASSERT_EQ(p.windows.size(), 1u);
  const WindowDef& w = p.windows[0];
  EXPECT_EQ(w.name, "main");
  EXPECT_EQ(w.caption, "Site Title");
  EXPECT_EQ(w.x.value_or(-1), 144);
  EXPECT_EQ(w.height.value_or(-1), 957);
  EXPECT_FALSE(w.maximize);
  EXPECT_EQ(w.scrollingRgb.value_or(0), 16777215u);
  EXPECT_EQ(w.nonScrollingRgb.value_or(0), 12632256u);
  ASSERT_EQ(p.configMacros.size(), 3u);
  EXPECT_EQ(p.configMacros[0], "CreateButton(topFile, \"Start\", JumpID (documentID0))");
  ASSERT_EQ(p.map.size(), 1u);
  EXPECT_EQ(p.map[0].context, "idh_intro");
  EXPECT_EQ(p.map[0].id, 17);
  EXPECT_TRUE(diag.messages().empty());
}

// File names written in a project are looked up in any case only where no
// root holds the exact name, and where several names differ only in case the
// choice does not depend on the order of the folder.
TEST(ProjectReaderTest, ExactNamesWinOverOtherCasesInEveryRoot) {
  TempDirectory dir;
  dir.write("a/topic.rtf", "x");
  dir.write("b/Topic.rtf", "x");
  dir.write("c/TOPIC.RTF", "x");
  dir.write("c/topic.rtf", "x");
  Diagnostics diag(nullptr);
  const HelpProject p = ProjectReader(diag).parse(
      "[OPTIONS]\nROOT=a,b\n[FILES]\nTopic.rtf\ntopic.rtf\nc/Topic.Rtf\n", dir.path() / "p.hpj");
  ASSERT_EQ(p.topicFiles.size(), 3u);
  EXPECT_EQ(p.topicFiles[0], dir.path() / "b" / "Topic.rtf");
  EXPECT_EQ(p.topicFiles[1], dir.path() / "a" / "topic.rtf");
  EXPECT_EQ(p.topicFiles[2], dir.path() / "c" / "TOPIC.RTF");
}

TEST(ProjectReaderTest, OddLinesAreWarnedAboutWithTheirLine) {
  TempDirectory dir;
  Diagnostics diag(nullptr);
  const HelpProject p = ProjectReader(diag).parse(
      "stray\n[OPTIONS]\nFROBNICATE=1\nTITLE=T\nCOMPRESS=12 Hall Zeck\n[FROBS]\nx\n[MAP]\n#define idh_a 0x10\nidh_b\n"
      "[WINDOWS]\nsecond=\"S\",(10,20,30,40),1,(255,0,0),()\n",
      dir.path() / "p.hpj");
  EXPECT_EQ(p.title, "T");
  EXPECT_TRUE(p.compressRequested);
  ASSERT_EQ(p.map.size(), 1u);
  EXPECT_EQ(p.map[0].id, 16);
  ASSERT_EQ(p.windows.size(), 1u);
  EXPECT_TRUE(p.windows[0].maximize);
  EXPECT_EQ(p.windows[0].scrollingRgb.value_or(0), 0x0000FFu);
  EXPECT_FALSE(p.windows[0].nonScrollingRgb.has_value());
  EXPECT_TRUE(mentions(diag.messages(), "p.hpj:1: warning: text outside any section"));
  EXPECT_TRUE(mentions(diag.messages(), "p.hpj:3: warning: unknown option FROBNICATE"));
  EXPECT_TRUE(mentions(diag.messages(), "p.hpj:6: warning: section [FROBS]"));
  EXPECT_TRUE(mentions(diag.messages(), "p.hpj:10: warning: map entry without a number"));
}

TEST(CompilerTest, ConverterProjectGivesEveryInternalFile) {
  TempDirectory dir;
  dir.write("rtf/out0.rtf", rtfHeader() + topic("documentID0", "Home", "Go to {\\uldb\\cf2 next}{\\v documentID1}. "
                                                 "{#{\\footnote idh_intro}} Why {\\ul\\cf2 not}{\\v *popup_0}?") + "}");
  dir.write("rtf/out1.rtf", rtfHeader() + topic("documentID1", "Next page", "Back {\\uldb home}{\\v documentID0}.") + "}");
  dir.write("rtf/targets.rtf", rtfHeader() + "#{\\footnote # whoops}\r\nNo topics.\\par\\par\r\n\\page\r\n}");
  dir.write("rtf/popups.rtf", rtfHeader() + "#{\\footnote # popup_0}\r\n{\r\n\\cf1 This link was not retrieved\r\n\\page\r\n}");
  const auto project = dir.write("rtf/project.hpj", kConverterProject);
  const Compiled c = compileProject(project);
  ASSERT_TRUE(c.result.written) << (c.messages.empty() ? "" : c.messages.front());
  EXPECT_EQ(c.result.topics, 4u);
  const auto hlp = dir.path() / "rtf" / "HelpFiles" / "site.hlp";
  ASSERT_TRUE(std::filesystem::exists(hlp));
  const std::string out = dump(hlp);
  for (const char* file : {"|CONTEXT", "|CTXOMAP", "|FONT", "|KWBTREE", "|KWDATA", "|KWMAP", "|SYSTEM", "|TOPIC", "|TTLBTREE"}) {
    EXPECT_NE(out.find(std::string("\"") + file + "\""), std::string::npos) << file;
  }
  EXPECT_NE(out.find("version: 1.33"), std::string::npos);
  EXPECT_NE(out.find("title: \"Site Title\""), std::string::npos);
  EXPECT_NE(out.find("macro: \"RegisterRoutine(\"user.exe\",\"SetWindowLong\",\"Uii\")\""), std::string::npos) << out;
  EXPECT_NE(out.find("caption \"Site Title\" x 144 y 30 width 749 height 957"), std::string::npos) << out;
  // Every context string leads to its own topic, the mid-topic one included.
  EXPECT_NE(out.find(hex8(static_cast<std::uint32_t>(helpHash("documentID1"))) + " -> "), std::string::npos);
  EXPECT_NE(out.find("topic 1 \"Next page\""), std::string::npos);
  EXPECT_NE(out.find("<jump " + hex8(static_cast<std::uint32_t>(helpHash("documentID1"))) + ">"), std::string::npos) << out;
  EXPECT_NE(out.find("next</hot>"), std::string::npos) << out;
  EXPECT_NE(out.find("<popup-invisible " + hex8(static_cast<std::uint32_t>(helpHash("popup_0"))) + ">"), std::string::npos) << out;
  EXPECT_NE(out.find("not</hot>"), std::string::npos) << out;
  EXPECT_NE(out.find("\"Next page\"\n    -> "), std::string::npos) << out;
  EXPECT_NE(out.find("17 -> "), std::string::npos) << out;
  EXPECT_TRUE(mentions(c.messages, "unknown") == false);
}

TEST(CompilerTest, TopicsSpreadOverManyBlocksKeepTheirAddresses) {
  TempDirectory dir;
  std::string rtf = rtfHeader();
  const int count = 300;
  for (int i = 0; i < count; ++i) {
    rtf += topic("t" + std::to_string(i), "Title " + std::to_string(i),
                 "Body of topic " + std::to_string(i) + " " + std::string(static_cast<std::size_t>(i * 7 % 400), 'x') +
                     " {\\uldb next}{\\v t" + std::to_string((i + 1) % count) + "}");
  }
  dir.write("a.rtf", rtf + "}");
  const auto project = dir.write("a.hpj", "[OPTIONS]\nCONTENTS=t5\n[FILES]\na.rtf\n");
  const Compiled c = compileProject(project);
  ASSERT_TRUE(c.result.written);
  const std::string out = dump(dir.path() / "a.hlp");
  for (int i = 0; i < count; i += 37) {
    const std::string line = hex8(static_cast<std::uint32_t>(helpHash("t" + std::to_string(i))));
    const auto at = out.find("\n" + line + " -> ");
    ASSERT_NE(at, std::string::npos) << i;
    const std::string rest = out.substr(at, out.find('\n', at + 1) - at);
    EXPECT_NE(rest.find("\"Title " + std::to_string(i) + "\""), std::string::npos) << rest;
  }
  EXPECT_NE(out.find("topics: " + std::to_string(count + 1)), std::string::npos);
}

TEST(CompilerTest, DuplicateContextIsAWarningAndACollisionAnError) {
  TempDirectory dir;
  dir.write("a.rtf", rtfHeader() + topic("same", "One", "a") + topic("SAME", "Two", "b") + "}");
  const Compiled dup = compileProject(dir.write("a.hpj", "[FILES]\na.rtf\n"));
  EXPECT_TRUE(dup.result.written);
  EXPECT_TRUE(mentions(dup.messages, "a.rtf:"));
  EXPECT_TRUE(mentions(dup.messages, "context string 'SAME' is defined again"));

  // '_' and ']' hash alike, so these two names clash.
  ASSERT_EQ(helpHash("topic_x"), helpHash("topic]x"));
  dir.write("b.rtf", rtfHeader() + topic("topic_x", "One", "a") + topic("topic]x", "Two", "b") + "}");
  const auto old = dir.write("b.hlp", "previous help file");
  const Compiled clash = compileProject(dir.write("b.hpj", "[FILES]\nb.rtf\n"));
  EXPECT_FALSE(clash.result.written);
  EXPECT_TRUE(mentions(clash.messages, "error: context strings 'topic_x' and 'topic]x' have the same hash"));
  std::ifstream in(old);
  std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(kept, "previous help file");  // the old file is left as it was
}

// HLP= names the file to write exactly: Foo.HLP beside foo.hlp is a new
// file, and the older one, relative or below an absolute folder as the
// engine writes it, keeps every byte.
TEST(CompilerTest, TheHelpFileKeepsTheCaseOfItsName) {
  TempDirectory dir;
  dir.write("a.rtf", rtfHeader() + topic("a", "Case kept", "text") + "}");
  const std::string older = "an older help file that is not ours\r\n";
  const auto beside = dir.write("foo.hlp", older);
  const auto below = dir.write("HelpFiles/foo.hlp", older);
  dir.write("rel.hpj", "[OPTIONS]\r\nHLP=Foo.HLP\r\n[FILES]\r\na.rtf\r\n");
  dir.write("abs.hpj", "[OPTIONS]\r\nHLP=" + (dir.path() / "HelpFiles" / "Foo.HLP").string() + "\r\n[FILES]\r\na.rtf\r\n");
  for (const auto& [project, written, kept] : {std::tuple{"rel.hpj", dir.path() / "Foo.HLP", beside},
                                              std::tuple{"abs.hpj", dir.path() / "HelpFiles" / "Foo.HLP", below}}) {
    int status = -1;
    const std::string out = runCommand("cd '" + dir.path().string() + "' && " + HCRTF_PATH + " /nc " + project, status);
    EXPECT_EQ(status, 0) << out;
    ASSERT_TRUE(std::filesystem::exists(written)) << project << ": " << out;
    EXPECT_NE(dump(written).find("topic 0: \"Case kept\""), std::string::npos);
    std::ifstream in(kept, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), older) << project;
  }
}

TEST(CompilerTest, MissingFilesAndEmptyProjectsGiveClearMessages) {
  TempDirectory dir;
  dir.write("a.rtf", rtfHeader() + topic("a", "A", "{\\uldb gone}{\\v nowhere} \\{bmc nothere.bmp\\}") + "}");
  const Compiled c = compileProject(dir.write("a.hpj", "[OPTIONS]\nCONTENTS=absent\n[FILES]\na.rtf\nmissing.rtf\n[MAP]\nabsent=3\n"));
  EXPECT_TRUE(c.result.written);
  EXPECT_TRUE(mentions(c.messages, "a.hpj:5: warning: topic file"));
  EXPECT_TRUE(mentions(c.messages, "jump to undefined context string 'nowhere'"));
  EXPECT_TRUE(mentions(c.messages, "'nothere.bmp' left out"));
  EXPECT_TRUE(mentions(c.messages, "CONTENTS topic 'absent'"));
  EXPECT_TRUE(mentions(c.messages, "a.hpj:7: warning: [MAP] names context string 'absent'"));

  const Compiled none = compileProject(dir.write("b.hpj", "[FILES]\nmissing.rtf\n"));
  EXPECT_FALSE(none.result.written);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "b.hlp"));
  const Compiled noProject = compileProject(dir.path() / "nothing.hpj");
  EXPECT_FALSE(noProject.result.written);
  EXPECT_TRUE(mentions(noProject.messages, "cannot open the help project"));
}

TEST(CompilerTest, HugeTopicsAndManyTopicsCompile) {
  TempDirectory dir;
  // One 10 MB paragraph with hotspots sprinkled through it.
  std::string big = rtfHeader() + "#{\\footnote big}${\\footnote Big}\r\n";
  big.reserve(11'000'000);
  for (int i = 0; i < 10'000; ++i) {
    big += std::string(1000, 'a' + i % 26);
    if (i % 100 == 0) big += "{\\uldb link}{\\v big}";
  }
  dir.write("big.rtf", big + "\\par\\page}");
  std::string many = rtfHeader();
  many.reserve(8'000'000);
  for (int i = 0; i < 100'000; ++i) {
    const std::string n = std::to_string(i);
    many += "#{\\footnote c" + n + "}${\\footnote T" + n + "}K{\\footnote k" + n + "}Text " + n + "\\par\\page\r\n";
  }
  dir.write("many.rtf", many + "}");
  const Compiled c = compileProject(dir.write("h.hpj", "[FILES]\nbig.rtf\nmany.rtf\n"));
  ASSERT_TRUE(c.result.written) << (c.messages.empty() ? "" : c.messages.front());
  EXPECT_EQ(c.result.topics, 100'001u);
  EXPECT_GT(c.result.bytes, 10'000'000u);
}

TEST(CompilerTest, ProgramReportsSwitchesAndExitStatus) {
  TempDirectory dir;
  dir.write("a.rtf", rtfHeader() + topic("a", "A", "text") + "}");
  dir.write("a.hpj", "[FILES]\na.rtf\n");
  int status = -1;
  const std::string out = runCommand("cd '" + dir.path().string() + "' && " + HCRTF_PATH + " /nc /xh /zz a.hpj", status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("unknown switch /zz ignored"), std::string::npos);
  EXPECT_EQ(out.find("/nc"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "a.hlp"));
  runCommand("cd '" + dir.path().string() + "' && " + HCRTF_PATH + " missing.hpj", status);
  EXPECT_NE(status, 0);

  // An absolute path is a project, not a switch, even without any "." in it.
  dir.write("sub/project", "[FILES]\n" + (dir.path() / "a.rtf").string() + "\n[OPTIONS]\nTITLE=T\n");
  const std::string project = (dir.path() / "sub/project").string();
  const std::string plain = runCommand(std::string(HCRTF_PATH) + " /nc '" + project + "'", status);
  EXPECT_EQ(status, 0) << plain;
  EXPECT_EQ(plain.find("unknown switch"), std::string::npos) << plain;
}

// Help authors repeat a footnote's reference mark inside the footnote in many
// ways; the value always starts after it, and a value that merely begins
// with the mark's letter keeps it.
TEST(CompilerTest, FootnoteMarksRepeatedInsideTheFootnoteAreNotPartOfTheValue) {
  TempDirectory dir;
  const std::string forms =
      "#{\\footnote {#}OVERVIEW}\r\n${\\footnote {$}Overview}\r\nK{\\footnote {K}plain group;}\r\n"
      "Plain groups. {\\uldb one}{\\v STYLED} {\\uldb two}{\\v PARD} {\\uldb three}{\\v SUPER} {\\uldb four}{\\v BARE}\\par\\page\r\n"
      "{\\cs16\\super #}{\\footnote \\pard\\plain \\s15\\fs20 {\\cs16\\super #} STYLED}\r\n"
      "{\\cs16\\super $}{\\footnote \\pard\\plain \\s15\\fs20 {\\cs16\\super $} Styled}\r\n"
      "{\\cs16\\super K}{\\footnote \\pard\\plain \\s15\\fs20 {\\cs16\\super K} character style}\r\n"
      "Styled. {\\uldb back}{\\v OVERVIEW}\\par\\page\r\n"
      "#{\\footnote \\pard\\plain \\fs20 # PARD}\r\n${\\footnote \\pard\\plain \\fs20 $ Pard}\r\n"
      "K{\\footnote \\pard\\plain \\fs20 K paragraph}\r\nPard.\\par\\page\r\n"
      "{\\super #{\\footnote # SUPER}}{\\super ${\\footnote $ Super}}{\\super K{\\footnote K Kangaroo}}\r\nSuper.\\par\\page\r\n"
      "#{\\footnote #BARE}\r\n${\\footnote Kitchen}\r\nK{\\footnote Kitchen;Keyboard}\r\nBare.\\par\\page\r\n";
  dir.write("a.rtf", rtfHeader() + forms + "}");
  const Compiled c = compileProject(dir.write("a.hpj", "[FILES]\na.rtf\n"));
  ASSERT_TRUE(c.result.written) << (c.messages.empty() ? "" : c.messages.front());
  EXPECT_EQ(c.result.topics, 5u);
  EXPECT_FALSE(mentions(c.messages, "undefined")) << c.messages.front();
  const std::string out = dump(dir.path() / "a.hlp");
  for (const char* context : {"OVERVIEW", "STYLED", "PARD", "SUPER", "BARE"}) {
    const std::string hash = hex8(static_cast<std::uint32_t>(helpHash(context)));
    EXPECT_NE(out.find(hash + " -> "), std::string::npos) << context << "\n" << out;
    EXPECT_NE(out.find("<jump " + hash + ">"), std::string::npos) << context;
  }
  for (const char* title : {"Overview", "Styled", "Pard", "Super", "Kitchen"}) {
    EXPECT_NE(out.find("\"" + std::string(title) + "\""), std::string::npos) << title;
  }
  for (const char* keyword : {"plain group", "character style", "paragraph", "Kangaroo", "Kitchen", "Keyboard"}) {
    EXPECT_NE(out.find("\"" + std::string(keyword) + "\"\n    -> "), std::string::npos) << keyword << "\n" << out;
  }
}

// An embedded button becomes a macro hotspot showing its label; the viewer
// has no button window to run it in.
TEST(CompilerTest, EmbeddedButtonsBecomeMacroHotspotsWithTheirLabel) {
  TempDirectory dir;
  dir.write("a.rtf", rtfHeader() + topic("first", "First", "See \\{button Display, JumpID(`a.hlp', `second')\\} and "
                                                           "\\{button , JumpID(second)\\}.") +
                         topic("second", "Second", "Back.") + "}");
  const Compiled c = compileProject(dir.write("a.hpj", "[FILES]\na.rtf\n"));
  ASSERT_TRUE(c.result.written) << (c.messages.empty() ? "" : c.messages.front());
  EXPECT_FALSE(mentions(c.messages, "not supported"));
  const std::string out = dump(dir.path() / "a.hlp");
  EXPECT_NE(out.find("<macro \"JumpID(`a.hlp', `second')\">Display</hot>"), std::string::npos) << out;
  // The loose macro is written the way the viewer reads it; an empty label shows as "»".
  EXPECT_NE(out.find("<macro \"JumpID(\"a.hlp\", \"second\")\">\\xBB</hot>"), std::string::npos) << out;
}
