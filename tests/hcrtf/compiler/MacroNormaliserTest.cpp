#include "hcrtf/compiler/MacroNormaliser.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "hcrtf/compiler/Compiler.h"
#include "tests/hcrtf/compiler/CompilerTestSupport.h"

namespace hcrtf::compiler {
namespace {

std::string strict(std::string_view macro, std::string file = "s.hlp") {
  return MacroNormaliser(std::move(file)).normalise(macro).value_or("<refused>");
}

TEST(MacroNormaliserTest, ConverterStartButtonBecomesStrict) {
  EXPECT_EQ(strict("CreateButton(topFile, \"Start\", JumpID (documentID0))"),
            "CreateButton(\"topFile\", \"Start\", \"JumpID(`s.hlp', `documentID0')\")");
}

TEST(MacroNormaliserTest, StrictMacrosPassThrough) {
  EXPECT_EQ(strict("CreateButton(\"b\", \"&Go\", \"JumpID(`a.hlp', `x')\")"),
            "CreateButton(\"b\", \"&Go\", \"JumpID(`a.hlp', `x')\")");
  EXPECT_EQ(strict("BrowseButtons()"), "BrowseButtons()");
  EXPECT_EQ(strict("SetPopupColor(255, 0x10, -1)"), "SetPopupColor(255, 0x10, -1)");
  EXPECT_EQ(strict("CB('id', `n', \"x\")"), "CB('id', `n', \"x\")");
  // Spacing of a list that needs nothing is the author's.
  EXPECT_EQ(strict("RR(\"user.exe\",\"SetWindowLong\",\"Uii\") ; Back( )"),
            "RR(\"user.exe\",\"SetWindowLong\",\"Uii\") ; Back( )");
}

TEST(MacroNormaliserTest, LooseFormsOfHelpCompilers) {
  // No parentheses, ":" between macros, names in any case.
  EXPECT_EQ(strict("BrowseButtons: contents"), "BrowseButtons();contents()");
  // Bare words and numbers where strings are meant; numbers stay numbers.
  EXPECT_EQ(strict("ExecProgram(notepad.exe, 1)"), "ExecProgram(\"notepad.exe\", 1)");
  EXPECT_EQ(strict("CloseWindow(42)"), "CloseWindow(\"42\")");
  // Backslashes in a word survive the viewer's unescaping.
  EXPECT_EQ(strict("SetHelpOnFile(c:\\help\\x.hlp)"), "SetHelpOnFile(\"c:\\\\help\\\\x.hlp\")");
  // An empty argument where a string is expected.
  EXPECT_EQ(strict("ExecFile(a, , 1, b)"), "ExecFile(\"a\", \"\", 1, \"b\")");
}

TEST(MacroNormaliserTest, LeftOutTrailingArgumentsGetTheirUsualValues) {
  // The converter's links to outside pages name only the address.
  EXPECT_EQ(strict("ExecFile(\"http://example.org/a b\")"), "ExecFile(\"http://example.org/a b\", \"\", 1, \"\")");
  EXPECT_EQ(strict("EF(doc.txt, -n)"), "EF(\"doc.txt\", \"-n\", 1, \"\")");
  EXPECT_EQ(strict("ExecFile(a, b, 3)"), "ExecFile(\"a\", \"b\", 3, \"\")");
  EXPECT_EQ(strict("ExecProgram(notepad.exe)"), "ExecProgram(\"notepad.exe\", 0)");
  // Nothing to stand in for the program itself; other macros stay as given.
  EXPECT_EQ(strict("ExecFile()"), "ExecFile()");
  EXPECT_EQ(strict("CreateButton(\"b\", \"B\")"), "CreateButton(\"b\", \"B\")");
}

TEST(MacroNormaliserTest, MissingHelpFileIsThisFile) {
  EXPECT_EQ(strict("JumpID(ctx)"), "JumpID(\"s.hlp\", \"ctx\")");
  EXPECT_EQ(strict("JI(, ctx)"), "JI(\"s.hlp\", \"ctx\")");
  EXPECT_EQ(strict("PopupId(\"\", \"ctx\")"), "PopupId(\"\", \"ctx\")");  // written out: kept
  EXPECT_EQ(strict("JumpID(other.hlp, ctx)"), "JumpID(\"other.hlp\", \"ctx\")");
  EXPECT_EQ(strict("JumpContext(, , 7)"), "JumpContext(\"s.hlp\", \"\", 7)");
  // Without a known file name the argument stays missing.
  EXPECT_EQ(strict("JumpID(ctx)", ""), "JumpID(\"ctx\")");
}

TEST(MacroNormaliserTest, NestedMacrosBecomeStringsTheViewerCanReadAgain) {
  // Two levels: `...' nests inside `...', and the macro an argument of
  // IfThen answers with stays a call.
  EXPECT_EQ(strict("IfThen(IsMark(m), CreateButton(b, B, JumpID(x)))"),
            "IfThen(IsMark(\"m\"), \"CreateButton(`b', `B', `JumpID(`s.hlp', `x')')\")");
  // An escape inside a nested string gains a level.
  EXPECT_EQ(strict("CB(b, B, SetHelpOnFile(a\\b))"),
            "CB(\"b\", \"B\", \"SetHelpOnFile(`a\\\\\\\\b')\")");
}

// ALink and KLink lists are written bare with ';' between keywords; the ';'
// belongs to the list, and ends a macro nowhere else inside "()".
TEST(MacroNormaliserTest, KeywordListsKeepTheirSemicolons) {
  EXPECT_EQ(strict("AL(first_key;second_key)"), "AL(\"first_key;second_key\")");
  EXPECT_EQ(strict("KLink(one; two, 1):Back()"), "KLink(\"one; two\", 1);Back()");
  EXPECT_FALSE(MacroNormaliser("s.hlp").normalise("AL(a, b;c)"));
}

TEST(MacroNormaliserTest, UnknownMacrosKeepTheirArguments) {
  EXPECT_EQ(strict("MyDllRoutine(word, 3, \"s\")"), "MyDllRoutine(word, 3, \"s\")");
}

TEST(MacroNormaliserTest, WhatIsNoMacroIsRefused) {
  for (const char* bad : {"", "   ", "CB(\"a\", \"b\"", "CB(\"open", "CB(a b(c))", "(x)", "CB(a) junk",
                          "CB(\"a\\", "CB(a, \"b\" c)", "CB(a;b)"}) {
    EXPECT_FALSE(MacroNormaliser("s.hlp").normalise(bad)) << bad;
  }
  std::string deep;
  for (int i = 0; i < 40; ++i) deep += "IfThen(IsBook(), ";
  EXPECT_FALSE(MacroNormaliser("s.hlp").normalise(deep + "Back()" + std::string(40, ')')));
  EXPECT_FALSE(MacroNormaliser("s.hlp").normalise("CB(\"" + std::string(40, '`') + "\")"));
}

TEST(MacroNormaliserTest, RefusedMacroIsKeptWithAWarningNamingItsLine) {
  Diagnostics diagnostics(nullptr);
  const std::string kept = MacroNormaliser("s.hlp").apply("CB(\"open", SourcePos{"project.hpj", 12}, diagnostics);
  EXPECT_EQ(kept, "CB(\"open");
  ASSERT_EQ(diagnostics.warningCount(), 1u);
  EXPECT_NE(diagnostics.messages().front().find("project.hpj:12"), std::string::npos);
}

#ifdef HLPDUMP_PATH
// The converter's project as the viewer gets it: its button strict, after an
// empty lead macro that the viewer may drop when a macro jumps.
TEST(MacroNormaliserTest, CompiledProjectStoresStrictMacrosAfterAnEmptyLead) {
  TempDirectory dir;
  dir.write("t.rtf", rtfHeader() + "#{\\footnote documentID0}\r\n${\\footnote Home}\r\n"
                                  "!{\\footnote JumpID(other)}\r\nText {\\uldb Go}{\\v !JI(x)}\\par\r\n\\page\r\n}");
  const auto project = dir.write("p.hpj", "[OPTIONS]\r\nHLP=out.hlp\r\n[FILES]\r\nt.rtf\r\n[CONFIG]\r\n"
                                          "CreateButton(topFile, \"Start\", JumpID (documentID0))\r\n");
  std::ostringstream log;
  Diagnostics diagnostics(&log);
  ASSERT_TRUE(Compiler(diagnostics).compile(project).written) << log.str();
  int status = 0;
  const std::string out = runCommand(std::string(HLPDUMP_PATH) + " " + (dir.path() / "out.hlp").string(), status);
  ASSERT_EQ(status, 0) << out;
  const auto lead = out.find("macro: \"\"\n");
  const auto button = out.find("macro: \"CreateButton(\"topFile\", \"Start\", \"JumpID(`out.hlp', `documentID0')\")\"");
  ASSERT_NE(lead, std::string::npos) << out;
  ASSERT_NE(button, std::string::npos) << out;
  EXPECT_LT(lead, button);
  EXPECT_NE(out.find("JumpID(\"out.hlp\", \"other\")"), std::string::npos) << out;  // entry macro
  EXPECT_NE(out.find("JI(\"out.hlp\", \"x\")"), std::string::npos) << out;          // macro hotspot
}
#endif

}  // namespace
}  // namespace hcrtf::compiler
