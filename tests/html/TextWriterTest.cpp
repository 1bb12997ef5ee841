#include <gtest/gtest.h>

#include <string>

#include "HtmlTestSupport.h"

namespace {

TEST(Entities, NamesAreExactAndCodesStayInOneByte) {
  HtmlFixture f;
  EXPECT_EQ(f.render("AT&amp;T"), "AT&T");
  EXPECT_EQ(f.render("&AMP;"), "&AMP;");
  EXPECT_EQ(f.render("&copy"), "\\'a9");
  EXPECT_EQ(f.render("&#169;"), "\\'a9");
  EXPECT_EQ(f.render("&#256;"), "&#256;");
  EXPECT_EQ(f.render("&#99999999999999999999;"), "&#99999999999999999999;");
  EXPECT_EQ(f.render("&trade;"), "\\'99");
  EXPECT_EQ(f.render("&lt;b&gt;&quot;"), "<b>\"");
  EXPECT_EQ(f.render("&nbsp;&yuml;&Agrave;&#x41;"), "\\'a0\\'ff\\'c0&#x41;");
  EXPECT_EQ(f.render("&foo; &"), "&foo; &");
}

TEST(Entities, CharactersOfTheWindowsCodePageAboveLatin1AreDecoded) {
  HtmlFixture f;
  EXPECT_EQ(f.render("a&#8212;b&mdash;c&ndash;d"), "a\\'97b\\'97c\\'96d");
  EXPECT_EQ(f.render("&ldquo;q&rdquo; &lsquo;s&rsquo; &hellip;&bull;"), "\\'93q\\'94 \\'91s\\'92 \\'85\\'95");
  EXPECT_EQ(f.render("&#8364;&euro;&#8482;"), "\\'80\\'80\\'99");
  // Code points the code page lacks stay as written, like unknown names.
  EXPECT_EQ(f.render("&#937;&#x2014;&Mdash;"), "&#937;&#x2014;&Mdash;");
}

TEST(TextWriter, EscapesRtfSpecials) {
  HtmlFixture f;
  EXPECT_EQ(f.render("{braces}"), "\\'7bbraces\\'7d");
  EXPECT_EQ(f.render("C:\\dir"), "C:\\\\dir");
  EXPECT_EQ(f.render("caf\xe9"), "caf\\'e9");
}

TEST(TextWriter, WhiteSpaceCollapsesAcrossItems) {
  HtmlFixture f;
  EXPECT_EQ(f.render("a   b\n c"), "a b c");
  EXPECT_EQ(f.render("a <span>b</span>"), "a b");
  EXPECT_EQ(f.render("a<span> </span> <i>b"), "a \\i b");
  // Nothing opens a topic, nor trails it, and control characters vanish.
  EXPECT_EQ(f.render("  \r\n x \x01y  "), "x y");
}

TEST(TextWriter, PreformattedLineBreaks) {
  HtmlFixture f;
  qvItemList& items = f.parse("x\ny\r\n\n\tz");
  items[0].setPreformatted();
  qvRtfWriter out;
  out.resetForTopic();
  out.contentWritten();
  items[0].asText()->writeText(out);
  EXPECT_EQ(out.takeOutput(), "\\keep\\f2 x\\line\r\ny\\line\r\n\\line\r\nz");

  // The first line break of a topic is not written.
  qvRtfWriter fresh;
  fresh.resetForTopic();
  items[0].asText()->writeText(fresh);
  EXPECT_EQ(fresh.takeOutput().substr(0, 12), "\\keep\\f2 x\\l");
  qvItemList& leading = f.parse("\nx");
  leading[0].setPreformatted();
  qvRtfWriter again;
  again.resetForTopic();
  leading[0].asText()->writeText(again);
  EXPECT_EQ(again.takeOutput(), "\\keep\\f2 x");
}

TEST(TextWriter, LongPreformattedParagraphBreaksWithPar) {
  HtmlFixture f;
  std::string text;
  for (int i = 0; i < 2500; ++i) text += "0123456789\n";
  qvItemList& items = f.parse(text);
  items[0].setPreformatted();
  qvRtfWriter out;
  out.resetForTopic();
  items[0].asText()->writeText(out);
  const std::string rtf = out.takeOutput();
  const std::size_t par = rtf.find("\\par\r\n");
  ASSERT_NE(par, std::string::npos);
  EXPECT_GT(par, 23000u);
  EXPECT_LT(par, 23000u + 2 * qvRtfWriter::kFlushSize);
  EXPECT_EQ(rtf.find("\\par", par + 1), std::string::npos);
  EXPECT_LT(out.charsSinceParagraph(), qvRtfWriter::kParagraphLimit);
}

TEST(TextWriter, TrimKindsDropOneLineBreak) {
  HtmlFixture f;
  qvItemList& items = f.parse("\r\nab\r\n");
  qvHtmlText* text = items[0].asText();
  text->setPreformatted();
  text->setTrimKind(qvHtmlText::kTrimLeadingBreak);
  qvRtfWriter out;
  out.resetForTopic();
  out.contentWritten();
  text->writeText(out);
  EXPECT_EQ(out.takeOutput(), "\\keep\\f2 ab\\line\r\n");
  text->setTrimKind(qvHtmlText::kTrimTrailingBreak);
  out.resetForTopic();
  out.contentWritten();
  text->writeText(out);
  EXPECT_EQ(out.takeOutput(), "\\keep\\f2 \\line\r\nab");
}

TEST(TextWriter, CellLimitStopsTheText) {
  HtmlFixture f;
  qvItemList& items = f.parse(std::string(100000, 'x'));
  qvRtfWriter out;
  out.resetForTopic();
  out.beginCell();
  items[0].asText()->writeText(out);
  const std::size_t written = out.takeOutput().size();
  EXPECT_GT(written, static_cast<std::size_t>(qvRtfWriter::kCellLimit));
  EXPECT_LE(written, static_cast<std::size_t>(qvRtfWriter::kCellLimit) + qvRtfWriter::kFlushSize + 1);
}

TEST(PendingSeparators, ParagraphAndLineBreaks) {
  HtmlFixture f;
  qvItemList& items = f.parse("a");
  qvHtmlText* text = items[0].asText();
  qvRtfWriter out;
  out.resetForTopic();
  out.textWritten();
  out.requestParagraph();
  out.requestLineBreaks(2, true);
  text->writeText(out);
  // The paragraph absorbs one requested break and adds the blank line.
  EXPECT_EQ(out.takeOutput(), "\\par\\pard\\line\\f0\\li0\\ql\\fs18\\i0\\b0\\ul0\r\na");
  EXPECT_EQ(out.pendingLineBreaks(), 0);

  out.resetForTopic();
  out.textWritten();
  out.addLineBreaks(3);
  text->writeText(out);
  EXPECT_EQ(out.takeOutput(), "\\line\\line\\line\r\na");
  EXPECT_FALSE(out.atLineStart());

  // Inside a link the break keeps the hotspot open; no-blank-line holds
  // the breaks back.
  out.resetForTopic();
  out.textWritten();
  out.enterHotspot();
  const qvRtfWriter::BlankLinesHeld held(out);
  out.requestParagraph();
  text->writeText(out);
  EXPECT_EQ(out.takeOutput(), "\\par\\f0\\li0\\ql\\fs18\\i0\\b0\\ul0\r\na");
  out.addLineBreaks(1);
  text->writeText(out);
  EXPECT_EQ(out.takeOutput(), "a");
  EXPECT_EQ(out.pendingLineBreaks(), 1);
}

TEST(PendingSeparators, RequestsAfterABreakAskForOneLess) {
  qvRtfWriter out;
  out.resetForTopic();
  out.requestLineBreaks(2, true);
  EXPECT_EQ(out.pendingLineBreaks(), 1);
  out.requestLineBreaks(2, false);
  EXPECT_EQ(out.pendingLineBreaks(), 2);
  out.requestAtLeastLineBreaks(1);
  EXPECT_EQ(out.pendingLineBreaks(), 2);
  out.addLineBreaks(1);
  EXPECT_EQ(out.pendingLineBreaks(), 3);
}

TEST(TextWriter, AttributeChangesOweADelimiter) {
  HtmlFixture f;
  qvItemList& items = f.parse("a<span>b<span> c");
  items[0].setBold();
  qvRtfWriter out;
  out.resetForTopic();
  for (std::size_t i : {0u, 2u, 4u}) items[i].asText()->writeText(out);
  EXPECT_EQ(out.takeOutput(), "\\b a\\b0 b c");
}

TEST(TextWriter, HugeRunIsWrittenInBlocks) {
  HtmlFixture f;
  std::string page(10 * 1024 * 1024, 'y');
  qvItemList& items = f.parse(page);
  ASSERT_EQ(items.size(), 1u);
  qvStringSink sink;
  qvRtfWriter out(&sink);
  out.resetForTopic();
  items[0].asText()->writeText(out);
  EXPECT_EQ(sink.text().size(), page.size());
  EXPECT_EQ(out.buffered(), 0u);
}

}  // namespace
