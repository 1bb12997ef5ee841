#include <gtest/gtest.h>

#include <sstream>

#include "CompilerTestSupport.h"
#include "hcrtf/compiler/RtfReader.h"

using namespace hcrtf::compiler;

namespace {

struct ReadResult {
  std::vector<Topic> topics;
  std::vector<std::string> messages;
};

ReadResult readRtf(const std::string& text) {
  Diagnostics diag(nullptr);
  ReadResult result;
  RtfReader reader(diag, result.topics);
  reader.read(text, "t.rtf");
  result.messages = diag.messages();
  return result;
}

std::string visibleText(const Paragraph& p) {
  std::string text;
  for (const auto& item : p.content) {
    if (const auto* run = std::get_if<TextRun>(&item)) text += run->text;
    if (std::holds_alternative<Tab>(item)) text += "<tab>";
    if (std::holds_alternative<LineBreak>(item)) text += "<line>";
  }
  return text;
}

std::vector<Hotspot> hotspots(const Topic& topic) {
  std::vector<Hotspot> found;
  for (const auto& p : topic.paragraphs) {
    for (const auto& item : p.content) {
      if (const auto* start = std::get_if<HotspotStart>(&item)) found.push_back(start->hotspot);
    }
  }
  return found;
}

std::vector<std::string> anchors(const Topic& topic) {
  std::vector<std::string> found;
  for (const auto& p : topic.paragraphs) {
    for (const auto& item : p.content) {
      if (const auto* a = std::get_if<AnchorMark>(&item)) found.push_back(a->context);
    }
  }
  return found;
}

bool mentions(const std::vector<std::string>& messages, const std::string& part) {
  for (const auto& m : messages) {
    if (m.find(part) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

TEST(RtfReaderTest, ConverterTopicGivesFootnotesTitleRegionAndHotspots) {
  const auto result = readRtf(rtfHeader() + rtfLines({
      "#{\\footnote documentID0}", "${\\footnote Home page}", "K{\\footnote Home page;Home;page;}",
      "+{\\footnote :auto}", "!{\\footnote SetWindowLong(hwndContext, 0, 255)}",
      "{\\keepn", "\\fs35\\b Home page\\par\\pard}", "\\cf1",
      "Go {\\uldb\\cf2 on}{\\v documentID1} or {\\ul\\cf2 why}{\\v *popup_3} or",
      "{\\uldb\\cf3 [http://x/]}{\\v *!ExecFile(\"http://x/\")}\\par\\pard",
      "{#{\\footnote documentID0_top}} named\\par", "\\page", "}"}));
  ASSERT_EQ(result.topics.size(), 1u);
  const Topic& t = result.topics[0];
  EXPECT_EQ(t.title, "Home page");
  EXPECT_EQ(t.keywords, (std::vector<std::string>{"Home page", "Home", "page"}));
  EXPECT_TRUE(t.inBrowse);
  EXPECT_EQ(t.browse, ":auto");
  ASSERT_EQ(t.entryMacros.size(), 1u);
  EXPECT_EQ(t.entryMacros[0], "SetWindowLong(hwndContext, 0, 255)");
  EXPECT_EQ(anchors(t), (std::vector<std::string>{"documentID0", "documentID0_top"}));
  ASSERT_GE(t.paragraphs.size(), 3u);
  EXPECT_TRUE(t.paragraphs[0].format.nonScrolling);
  EXPECT_EQ(visibleText(t.paragraphs[0]), "Home page");
  EXPECT_FALSE(t.paragraphs[1].format.nonScrolling);
  EXPECT_EQ(visibleText(t.paragraphs[1]), "Go on or why or[http://x/]");
  EXPECT_EQ(visibleText(t.paragraphs[2]), " named");

  const auto hs = hotspots(t);
  ASSERT_EQ(hs.size(), 3u);
  EXPECT_EQ(hs[0].kind, Hotspot::Kind::Jump);
  EXPECT_EQ(hs[0].target, "documentID1");
  EXPECT_FALSE(hs[0].plain);
  EXPECT_EQ(hs[1].kind, Hotspot::Kind::Popup);
  EXPECT_EQ(hs[1].target, "popup_3");
  EXPECT_TRUE(hs[1].plain);
  EXPECT_EQ(hs[2].kind, Hotspot::Kind::Macro);
  EXPECT_EQ(hs[2].target, "ExecFile(\"http://x/\")");
  EXPECT_TRUE(result.messages.empty()) << result.messages.front();
}

TEST(RtfReaderTest, HotspotTargetsNameWindowsFilesAndPlainForms) {
  const auto result = readRtf(rtfHeader() + rtfLines({
      "#{\\footnote a}{\\uldb x}{\\v b>second}{\\strike y}{\\v c@other.hlp}{\\uldb z}{\\v %d>w@f.hlp}",
      "{\\uldb plain}{\\v nothing}", "\\par\\page}"}));
  ASSERT_EQ(result.topics.size(), 1u);
  const auto hs = hotspots(result.topics[0]);
  ASSERT_EQ(hs.size(), 4u);
  EXPECT_EQ(hs[0].target, "b");
  EXPECT_EQ(hs[0].window, "second");
  EXPECT_EQ(hs[1].kind, Hotspot::Kind::Jump);
  EXPECT_EQ(hs[1].file, "other.hlp");
  EXPECT_TRUE(hs[2].plain);
  EXPECT_EQ(hs[2].target, "d");
  EXPECT_EQ(hs[2].window, "w");
  EXPECT_EQ(hs[2].file, "f.hlp");
}

TEST(RtfReaderTest, EscapesSpecialCharactersAndPictureReferences) {
  const auto result = readRtf(rtfHeader() + rtfLines({
      "#{\\footnote a}caf\\'e9 C:\\\\dir \\'7bbraces\\'7d\\tab x\\line y \\{not a picture\\}",
      "\\{bmc pic.bmp\\}\\{bml left.bmp\\}\\{bmr right.bmp\\}\\{mci X\\}\\u8364?\\par\\page}"}));
  ASSERT_EQ(result.topics.size(), 1u);
  const Topic& t = result.topics[0];
  ASSERT_EQ(t.paragraphs.size(), 1u);
  EXPECT_EQ(visibleText(t.paragraphs[0]), "caf\xe9 C:\\dir {braces}<tab>x<line>y {not a picture}\x80");
  std::string aligns, files;
  for (const auto& item : t.paragraphs[0].content) {
    if (const auto* pic = std::get_if<PictureRef>(&item)) {
      aligns += pic->align;
      files += pic->fileName + ";";
    }
  }
  EXPECT_EQ(aligns, "clr");
  EXPECT_EQ(files, "pic.bmp;left.bmp;right.bmp;");
  EXPECT_TRUE(mentions(result.messages, "{mci} is not supported"));
}

TEST(RtfReaderTest, CharacterAndParagraphFormattingReachTheModel) {
  const auto result = readRtf(rtfHeader() + rtfLines({
      "#{\\footnote a}\\li720\\ri360\\fi-360\\sb120\\sa60\\qc\\keep\\tqr\\tx2880\\tx1440",
      "{\\f2\\fs30\\b\\i\\cf2 mono}\\par\\pard\\qr right\\par\\page}"}));
  ASSERT_EQ(result.topics.size(), 1u);
  const auto& p = result.topics[0].paragraphs;
  ASSERT_EQ(p.size(), 2u);
  EXPECT_EQ(p[0].format.leftIndent, 720);
  EXPECT_EQ(p[0].format.rightIndent, 360);
  EXPECT_EQ(p[0].format.firstIndent, -360);
  EXPECT_EQ(p[0].format.alignment, Alignment::Centre);
  EXPECT_TRUE(p[0].format.keepTogether);
  ASSERT_EQ(p[0].format.tabs.size(), 2u);
  EXPECT_EQ(p[0].format.tabs[0], (TabStop{2880, 1}));
  EXPECT_EQ(p[0].format.tabs[1], (TabStop{1440, 0}));
  const auto& run = std::get<TextRun>(p[0].content.back());
  EXPECT_EQ(run.font.face, "Courier New");
  EXPECT_EQ(run.font.family, 1);
  EXPECT_EQ(run.font.halfPoints, 30);
  EXPECT_TRUE(run.font.bold && run.font.italic);
  EXPECT_EQ(run.font.rgb, 0xFF0000u);  // blue in 0x00BBGGRR
  EXPECT_EQ(p[1].format.alignment, Alignment::Right);
  EXPECT_EQ(p[1].format.leftIndent, 0);
}

TEST(RtfReaderTest, HostileInputIsReportedAndReadingGoesOn) {
  // Unbalanced braces both ways, unknown words, a font that is not declared,
  // an unterminated hex escape, a parameter too large for any integer, deep
  // nesting, and a last topic without \page (kept without a word: word
  // processors leave that \page out).
  std::string deep(5000, '{');
  const auto result = readRtf(rtfHeader() + "}}} #{\\footnote a}\\bogusword12 \\f77 x\\fs99999999999999999 y\\'z" +
                              deep + "inner" + std::string(5000, '}') +
                              "\\par\\page #{\\footnote b}last\\par{\\b unclosed");
  ASSERT_EQ(result.topics.size(), 2u);
  EXPECT_EQ(anchors(result.topics[1]), (std::vector<std::string>{"b"}));
  EXPECT_TRUE(mentions(result.messages, "'}' without a matching '{'"));
  EXPECT_TRUE(mentions(result.messages, "unknown control word \\bogusword"));
  EXPECT_TRUE(mentions(result.messages, "font 77 is not in the font table"));
  EXPECT_TRUE(mentions(result.messages, "nested too deeply"));
  EXPECT_TRUE(mentions(result.messages, "not closed"));
  EXPECT_FALSE(mentions(result.messages, "no \\page"));
  EXPECT_TRUE(mentions(result.messages, "t.rtf:"));
}

TEST(RtfReaderTest, HiddenTextWithoutHotspotAndEmptyFootnotesAreWarnings) {
  const auto result = readRtf(rtfHeader() + "#{\\footnote }plain{\\v target}\\par\\page}");
  ASSERT_EQ(result.topics.size(), 1u);
  EXPECT_TRUE(hotspots(result.topics[0]).empty());
  EXPECT_TRUE(mentions(result.messages, "does not follow hotspot text"));
  EXPECT_TRUE(mentions(result.messages, "empty context-string footnote"));
}

TEST(RtfReaderTest, ButtonsKeepTheirLabelAndMacro) {
  const auto result = readRtf(rtfHeader() + rtfLines({
      "#{\\footnote a}\\{button  Go on , JumpID(b)\\} \\{button ,Back()\\} \\{button No macro\\}\\par\\page}"}));
  ASSERT_EQ(result.topics.size(), 1u);
  const Topic& t = result.topics[0];
  ASSERT_EQ(t.paragraphs.size(), 1u);
  EXPECT_EQ(visibleText(t.paragraphs[0]), "Go on \xBB No macro");
  const auto found = hotspots(t);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].kind, Hotspot::Kind::Macro);
  EXPECT_EQ(found[0].target, "JumpID(b)");
  EXPECT_EQ(found[1].target, "Back()");
  EXPECT_TRUE(mentions(result.messages, "{button} without a macro"));
}
