// Forms that hand-written and tool-written help projects use and the
// converter never writes: map headers, word-processor font tables, code
// pages, pasted pictures, jump lists; each compiled and read back with
// hlpdump.

#include <gtest/gtest.h>

#include "../BmpTestFiles.h"
#include "CompilerTestSupport.h"
#include "hcrtf/compiler/Compiler.h"
#include "hcrtf/compiler/ProjectReader.h"

using namespace hcrtf::compiler;

namespace {

struct Compiled {
  bool written = false;
  std::vector<std::string> messages;
};

Compiled compile(const std::filesystem::path& project) {
  Diagnostics diag(nullptr);
  Compiler compiler(diag);
  Compiled c;
  c.written = compiler.compile(project).written;
  c.messages = diag.messages();
  return c;
}

std::vector<std::string> warnings(const std::vector<std::string>& messages) {
  std::vector<std::string> found;
  for (const auto& m : messages) {
    if (m.find("warning:") != std::string::npos || m.find("error:") != std::string::npos) found.push_back(m);
  }
  return found;
}

std::string dump(const std::filesystem::path& file, const std::string& options) {
  int status = 0;
  return runCommand(std::string(HLPDUMP_PATH) + " '" + file.string() + "' " + options, status);
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

}  // namespace

// [MAP] takes its numbers from C headers through #include, with the
// comments, include guards and parentheses headers have, and from lines with
// a ';' comment after them. A missing, endlessly nested or endless (a device)
// header is reported once and the rest of the map still counts.
TEST(AuthoredFormsTest, MapReadsHeadersAndCommentedLines) {
  TempDirectory dir;
  dir.write("inc/ids.h",
            "#ifndef IDS_H\r\n#define IDS_H\r\n/* dialog topics\r\n   (a block comment) */\r\n"
            "#define IDH_OPEN   (0x10)  // the Open box\r\n#define IDH_SAVE 17 /* inline */\r\n"
            "IDH_PLAIN = 18;\r\n#endif\r\n");
  dir.write("loop.h", "#include loop.h\r\n#define IDH_LOOP 30\r\n");
  Diagnostics diag(nullptr);
  const HelpProject p = ProjectReader(diag).parse(
      "[MAP]\r\n#include \"inc\\ids.h\"\r\nidh_menu=2          ; the main menu\r\nidh_edit 3;\r\n"
      "#include <missing.h>\r\n#include loop.h\r\n#include /dev/zero\r\nidh_last=4\r\n",
      dir.path() / "p.hpj");
  std::map<std::string, std::int32_t> ids;
  for (const MapEntry& e : p.map) ids[e.context] = e.id;
  EXPECT_EQ(ids["IDH_OPEN"], 16);
  EXPECT_EQ(ids["IDH_SAVE"], 17);
  EXPECT_EQ(ids["IDH_PLAIN"], 18);
  EXPECT_EQ(ids["idh_menu"], 2);
  EXPECT_EQ(ids["idh_edit"], 3);
  EXPECT_EQ(ids["IDH_LOOP"], 30);
  EXPECT_EQ(ids["idh_last"], 4);
  EXPECT_EQ(ids.count("IDS_H"), 0u);
  const std::vector<std::string> found = warnings(diag.messages());
  ASSERT_EQ(found.size(), 3u) << joined(found);
  EXPECT_NE(found[0].find("p.hpj:5: warning: map file 'missing.h' not found"), std::string::npos) << found[0];
  EXPECT_NE(found[1].find("loop.h:1: warning: map file 'loop.h' includes itself"), std::string::npos) << found[1];
  EXPECT_NE(found[2].find("p.hpj:7: warning: map file '/dev/zero' not found or not a file"), std::string::npos)
      << found[2];
}

// Word writes each font's PANOSE number and alternative name inside the font
// table; they are not part of the face name.
TEST(AuthoredFormsTest, FontTableLeavesPanoseAndAlternativeNamesOut) {
  TempDirectory dir;
  dir.write("a.rtf",
            "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman\\fcharset0\\fprq2{\\*\\panose 02020603050405020304}Times "
            "New Roman;}{\\f1\\fswiss\\fcharset0\\fprq2{\\*\\panose 020b0604020202020204}Arial{\\*\\falt "
            "Helvetica};}}\r\n#{\\footnote a}${\\footnote A} Serif {\\f1 sans}\\par\\page}");
  const Compiled c = compile(dir.write("a.hpj", "[FILES]\r\na.rtf\r\n"));
  ASSERT_TRUE(c.written) << joined(c.messages);
  EXPECT_TRUE(warnings(c.messages).empty()) << joined(c.messages);
  const std::string fonts = dump(dir.path() / "a.hlp", "--fonts");
  EXPECT_NE(fonts.find("face 0: \"Times New Roman\"\n"), std::string::npos) << fonts;
  EXPECT_NE(fonts.find("face 1: \"Arial\"\n"), std::string::npos) << fonts;
}

// The viewer draws every font of a file in one character set. CHARSET= names
// it; without it, the code page of the topic files decides, then the
// character set of the fonts their text uses.
TEST(AuthoredFormsTest, CharacterSetFollowsCharsetOptionCodePageOrFonts) {
  const std::string body = "#{\\footnote a}${\\footnote A}\\'cf\\'f0\\'e8\\'e2\\'e5\\'f2\\par\\page}";
  const std::string fonts = "{\\fonttbl{\\f0\\froman\\fcharset204 Times New Roman Cyr;}{\\f1\\fswiss\\fcharset238 "
                            "Arial CE;}}\r\n";
  struct Case {
    const char* what;
    std::string rtf;
    const char* options;
    const char* charset;
  } const cases[] = {
      {"code page 1251", "{\\rtf1\\ansi\\ansicpg1251\\deff0" + fonts + body, "", "charset: 204\n"},
      {"CHARSET= wins", "{\\rtf1\\ansi\\ansicpg1251\\deff0" + fonts + body, "CHARSET=238 ; Central European\r\n",
       "charset: 238\n"},
      {"fonts of the text", "{\\rtf1\\ansi\\ansicpg1252\\deff0" + fonts + body, "", "charset: 204\n"},
      {"Western text", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}" + body, "", "charset: 0\n"},
  };
  for (const Case& k : cases) {
    TempDirectory dir;
    dir.write("a.rtf", k.rtf);
    const Compiled c = compile(dir.write("a.hpj", std::string("[OPTIONS]\r\n") + k.options + "[FILES]\r\na.rtf\r\n"));
    ASSERT_TRUE(c.written) << k.what << "\n" << joined(c.messages);
    EXPECT_TRUE(warnings(c.messages).empty()) << k.what << "\n" << joined(c.messages);
    const std::string system = dump(dir.path() / "a.hlp", "--system");
    EXPECT_NE(system.find(k.charset), std::string::npos) << k.what << "\n" << system;
  }
  TempDirectory dir;
  Diagnostics diag(nullptr);
  const HelpProject p = ProjectReader(diag).parse("[OPTIONS]\r\nCHARSET=Cyrillic\r\n", dir.path() / "p.hpj");
  EXPECT_FALSE(p.charset.has_value());
  EXPECT_EQ(warnings(diag.messages()).size(), 1u);
}

// Pictures pasted into a Word document are not read: the file gets one
// warning that counts them, each picture once, and the text around them is
// kept. A file's last topic may end without \page, as Word leaves it.
TEST(AuthoredFormsTest, PastedPicturesGetOneWarningAndTheTextStays) {
  TempDirectory dir;
  dir.write("a.rtf",
            "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\r\n#{\\footnote a}${\\footnote A}Before "
            "{{\\*\\shppict{\\pict{\\*\\picprop\\shplid1025}\\pngblip 89504e47}}{\\nonshppict{\\pict\\wmetafile8 "
            "0100}}} middle {\\object\\objemb{\\*\\objclass Paint.Picture}{\\*\\objdata 0105}{\\result{\\pict\\wmetafile8 "
            "0100}}} and {\\pict\\dibitmap0 2800} after.\\par}");
  const Compiled c = compile(dir.write("a.hpj", "[FILES]\r\na.rtf\r\n"));
  ASSERT_TRUE(c.written) << joined(c.messages);
  const std::vector<std::string> found = warnings(c.messages);
  ASSERT_EQ(found.size(), 1u) << joined(found);
  EXPECT_NE(found[0].find("a.rtf:2: warning: 3 picture(s) or object(s) embedded in the RTF left out"), std::string::npos)
      << found[0];
  const std::string topics = dump(dir.path() / "a.hlp", "--topics");
  EXPECT_NE(topics.find("Before  middle  and  after."), std::string::npos) << topics;
}

// hlpdump --targets lists the hotspots and jump macros into the file that
// lead to no topic; jumps into other help files are not its business.
TEST(AuthoredFormsTest, HlpdumpListsJumpsThatLeadNowhere) {
  TempDirectory dir;
  dir.write("a.rtf",
            "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\r\n#{\\footnote home}${\\footnote Home}"
            "!{\\footnote JI(`a.hlp', `gone_entry')}{\\uldb back}{\\v home} {\\uldb lost}{\\v gone_jump} "
            "{\\ul note}{\\v gone_popup} {\\uldb side}{\\v home>second} \\{button , JumpID(gone_button)\\} "
            "\\{button Far, JumpID(`other.hlp', `elsewhere')\\} {\\uldb up}{\\v !PopupId(`..\\\\A.HLP', `home')}\\par\\page}");
  const Compiled c = compile(dir.write("a.hpj", "[FILES]\r\na.rtf\r\n[WINDOWS]\r\nsecond=\"Second\",(1,1,500,500)\r\n"));
  ASSERT_TRUE(c.written) << joined(c.messages);
  const std::string out = dump(dir.path() / "a.hlp", "--targets");
  EXPECT_NE(out.find("checked: 7\n"), std::string::npos) << out;
  EXPECT_NE(out.find("undefined: 4\n"), std::string::npos) << out;
  for (const char* missing : {"gone_entry", "gone_button"}) {
    EXPECT_NE(out.find("  " + std::string(missing) + " in topic 0\n"), std::string::npos) << missing << "\n" << out;
  }
  EXPECT_EQ(out.find("elsewhere"), std::string::npos) << out;
  EXPECT_EQ(out.find("  home"), std::string::npos) << out;
}

// A button at the start of a spacing paragraph (\fs8) keeps a label that can
// be read and hit; a button in ordinary text keeps the text's font.
TEST(AuthoredFormsTest, ButtonLabelsAreNeverTiny) {
  TempDirectory dir;
  dir.write("a.rtf",
            "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\r\n#{\\footnote home}${\\footnote Home}"
            "\\fs8 \\{button , JumpID(home)\\}\\fs28 Text \\{button Big, JumpID(home)\\}\\par\\page}");
  const Compiled c = compile(dir.write("a.hpj", "[FILES]\r\na.rtf\r\n"));
  ASSERT_TRUE(c.written) << joined(c.messages);
  const std::string out = dump(dir.path() / "a.hlp", "--fonts --topics");
  EXPECT_EQ(out.find("size 8 half-points"), std::string::npos) << out;
  EXPECT_NE(out.find("size 18 half-points"), std::string::npos) << out;
  EXPECT_NE(out.find("size 28 half-points"), std::string::npos) << out;
}

// [ALIAS] gives topics second names (an alias may stand for another alias),
// [BAGGAGE] files travel inside the help file, and [BITMAPS] names the
// pictures older projects keep outside BMROOT. What cannot be used is
// reported with its line.
TEST(AuthoredFormsTest, AliasesBaggageAndBitmapListsAreRead) {
  TempDirectory dir;
  std::filesystem::create_directories(dir.path() / "art");
  hcrtf::testing::writeFile(dir.path() / "art" / "logo.bmp",
                            hcrtf::testing::bmpFile(8, 8, 24, 0, {}, hcrtf::testing::rows(8, 8, 24, [](int, int) {
                                                      return 0xFFFFFFu;
                                                    })));
  dir.write("data.bin", std::string("\x01\x02payload", 9));
  dir.write("a.rtf",
            "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\r\n#{\\footnote home}${\\footnote Home}"
            "\\{bmc logo.bmp\\} {\\uldb old}{\\v old_home} {\\uldb older}{\\v older_home}\\par\\page}");
  const Compiled c = compile(dir.write(
      "a.hpj", "[FILES]\r\na.rtf\r\n[ALIAS]\r\nolder_home=old_home\r\nold_home = home ; renamed in 2.0\r\n"
               "HOME=old_home\r\nbroken=nowhere\r\n[BAGGAGE]\r\ndata.bin\r\nmissing.bin\r\n[BITMAPS]\r\nart\\logo.bmp\r\n"));
  ASSERT_TRUE(c.written) << joined(c.messages);
  const std::vector<std::string> found = warnings(c.messages);
  ASSERT_EQ(found.size(), 3u) << joined(found);
  EXPECT_NE(found[0].find("a.hpj:6: warning: alias 'HOME' is already a context string"), std::string::npos) << found[0];
  EXPECT_NE(found[1].find("a.hpj:7: warning: alias 'broken' names context string 'nowhere'"), std::string::npos)
      << found[1];
  EXPECT_NE(found[2].find("a.hpj:10: warning: baggage file"), std::string::npos) << found[2];
  const std::string out = dump(dir.path() / "a.hlp", "--files --context --targets --topics");
  EXPECT_NE(out.find("\"data.bin\" at"), std::string::npos) << out;
  EXPECT_NE(out.find("<bmc |bm0>"), std::string::npos) << out;
  EXPECT_NE(out.find("checked: 2\nundefined: 0\n"), std::string::npos) << out;
  // home, old_home and older_home all lead to the topic's start.
  std::size_t entries = 0;
  for (std::size_t at = out.find("-> 0x00000000 topic 0"); at != std::string::npos;
       at = out.find("-> 0x00000000 topic 0", at + 1)) {
    ++entries;
  }
  EXPECT_EQ(entries, 3u) << out;
}

// A footnotes (the ALink table) and other letters' keyword footnotes get
// keyword tables of their own beside K's; before, they were dropped and
// ALink found nothing.
TEST(AuthoredFormsTest, EveryKeywordLetterGetsItsOwnTable) {
  TempDirectory dir;
  dir.write("a.rtf",
            "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\r\n#{\\footnote one}${\\footnote One}"
            "K{\\footnote apple}A{\\footnote {A}unit_one;shared}One.\\par\\page\r\n#{\\footnote two}${\\footnote Two}"
            "A{\\footnote shared}Z{\\footnote zebra}Two \\{button See also, AL(unit_one;shared)\\}.\\par\\page}");
  const Compiled c = compile(dir.write("a.hpj", "[FILES]\r\na.rtf\r\n"));
  ASSERT_TRUE(c.written) << joined(c.messages);
  EXPECT_TRUE(warnings(c.messages).empty()) << joined(c.messages);
  const std::string out = dump(dir.path() / "a.hlp", "--keywords --topics");
  for (const char* table : {"|KWBTREE:\n  \"apple\"", "|AWBTREE:\n  \"shared\"\n    -> ", "|ZWBTREE:\n  \"zebra\""}) {
    EXPECT_NE(out.find(table), std::string::npos) << table << "\n" << out;
  }
  const std::size_t shared = out.find("\"shared\"");
  ASSERT_NE(shared, std::string::npos);
  EXPECT_NE(out.find("topic 1", shared), std::string::npos) << out;
  EXPECT_NE(out.find("\"unit_one\"\n    -> "), std::string::npos) << out;
  EXPECT_NE(out.find("<macro \"AL(\"unit_one;shared\")\">See also</hot>"), std::string::npos) << out;
}

// CNT= names the contents file the viewer opens beside the help file, and
// CITATION= the text added to what a reader copies or prints; both were
// accepted and lost.
TEST(AuthoredFormsTest, ContentsFileAndCitationAreStored) {
  TempDirectory dir;
  dir.write("a.rtf", "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\r\n#{\\footnote a}${\\footnote A}A.\\par\\page}");
  const Compiled c = compile(dir.write(
      "a.hpj", "[OPTIONS]\r\nCNT=.\\Docs\\Guide.cnt\r\nCITATION=From the Guide, 1998\r\n[FILES]\r\na.rtf\r\n"));
  ASSERT_TRUE(c.written) << joined(c.messages);
  EXPECT_TRUE(warnings(c.messages).empty()) << joined(c.messages);
  const std::string system = dump(dir.path() / "a.hlp", "--system");
  EXPECT_NE(system.find("contents file: \"Guide.cnt\"\n"), std::string::npos) << system;
  EXPECT_NE(system.find("citation: \"From the Guide, 1998\"\n"), std::string::npos) << system;
}
