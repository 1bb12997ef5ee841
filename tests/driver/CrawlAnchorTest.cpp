// Links written as WinHelp hotspots once the crawl has decided every
// target's outcome, compared with RTF written out by hand.
#include <gtest/gtest.h>

#include "CrawlRig.h"
#include "html/qvHtmlTag.h"
#include "html/qvHtmlText.h"
#include "html/qvItemList.h"
#include "html/qvItemReader.h"
#include "html/qvItemWriter.h"
#include "html/qvTagAnchor.h"
#include "rtf/qvByteSink.h"
#include "rtf/qvRtfWriter.h"

namespace {

struct AnchorFixture : crawltest::CrawlRig {
  qvStringSink popups;
  std::string page;

  // Crawls the tree from index.html, then writes the body of index.html as
  // the final pass would.
  std::string writeIndex() {
    crawlFrom("index.html");
    qvURLStatus* index = context.urlTable().startURL();
    context.urlTable().setCurrentPage(index);
    context.popupStream = &popups;
    page = crawltest::slurp(site.path() / "index.html");
    items.clear();
    parser.parsePage(page, items);
    const qvItemRefs bound = parser.bindItems(items.refs());
    qvRtfWriter out;
    out.resetForTopic();
    qvItemCursor walk(bound, 0);
    while (qvHtmlInterface* item = walk.next()) {
      if (qvHtmlText* text = item->asText()) {
        text->writeText(out);
      } else if (qvHtmlTag* tag = item->asTag()) {
        tag->writeRtf(out, walk);
      }
    }
    return out.takeOutput();
  }
};

}  // namespace

TEST_F(AnchorFixture, JumpsToConvertedPagesAndTheirAnchors) {
  site.write("index.html", "<a href=\"a.html\">one</a> and <a href=\"a.html#Part\">two</a>");
  site.write("a.html", "<a name=\"part\">here</a><a name=IDH_Intro>intro</a>");
  const std::string rtf = writeIndex();
  EXPECT_EQ(rtf, "{\\uldb\\cf2 one}{\\v documentID1} and {\\uldb\\cf2 two}{\\v documentID1_nameID0}");
  EXPECT_EQ(context.urlTable().helpIds().at("IDH_Intro"), 1);
  EXPECT_TRUE(popups.text().empty());
}

TEST_F(AnchorFixture, SingleQuotedLinksAndNamesWorkAsDoubleQuotedOnes) {
  site.write("index.html", "<a href='a.html'>one</a> <a href='a.html#part'>two</a>");
  site.write("a.html", "<a name='part'>here</a>");
  EXPECT_EQ(writeIndex(), "{\\uldb\\cf2 one}{\\v documentID1} {\\uldb\\cf2 two}{\\v documentID1_nameID0}");
  EXPECT_TRUE(popups.text().empty());
  EXPECT_EQ(status("a.html")->anchorNames.count("part"), 1u);
}

TEST_F(AnchorFixture, NamedAnchorsBecomeContextStrings) {
  site.write("index.html", "<a name=top>Top</a> text <a name=IDH_Intro>x</a>");
  EXPECT_EQ(writeIndex(), "{#{\\footnote documentID0_nameID0}} Top text {#{\\footnote documentID0_nameID1}} "
                          "{#{\\footnote IDH_Intro}} x");
}

TEST_F(AnchorFixture, OutsideProtocolsOpenInTheBrowser) {
  site.write("index.html",
             "<a href=\"mailto:me@example.com\">mail</a> <a href=\"https://example.com/x#y\">web</a> "
             "<a href=\"javascript:go()\">js</a>");
  EXPECT_EQ(writeIndex(),
            "{\\uldb\\cf3 mail}{\\v *!ExecFile(\"mailto:me@example.com\")} "
            "{\\uldb\\cf3 web}{\\v *!ExecFile(\"https://example.com/x#y\")} "
            "{\\ul\\cf2 js}{\\v *unknownprotocol}");
}

TEST_F(AnchorFixture, LinksNotFetchedGetPopupsWithTheirReason) {
  site.write("index.html", "<a href=\"gone.html\">gone</a> <a href=\"x.cgi?a=1\">cgi</a>");
  const std::string gone = url("gone.html");
  const std::string cgi = url("x.cgi") + "?a=1";
  EXPECT_EQ(writeIndex(), "{\\ul\\cf2 gone}{\\v *popup_0} {\\ul\\cf2 cgi}{\\v *popup_1}");
  EXPECT_EQ(popups.text(),
            "#{\\footnote # popup_0}\r\n{\r\n{\\ul\\cf2 " + gone + "}{\\v *!ExecFile(\"" + gone + "\")} \r\n"
            "\\cf1 This link was broken at the time Corvane tried to fetch it.\r\n}\r\n\\page\r\n"
            "#{\\footnote # popup_1}\r\n{\r\n{\\ul\\cf2 " + cgi + "}{\\v *!ExecFile(\"" + cgi + "\")} \r\n"
            "\\cf1 This link was not retrieved because is was suspected to be CGI. This may be changed from the "
            "Corvane options panel.\r\n}\r\n\\page\r\n");
}

TEST_F(AnchorFixture, FramesLinkToTheirSource) {
  site.write("index.html", "<frameset><frame src=\"a.html\"><frame src=\"gone.html\"></frameset>");
  site.write("a.html", "a");
  const std::string rtf = writeIndex();
  EXPECT_NE(rtf.find("Frame {\\uldb\\cf2 a.html}{\\v documentID1}"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("Frame {\\ul\\cf2 gone.html}{\\v *popup_0}"), std::string::npos) << rtf;
  int frames = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const auto* anchor = dynamic_cast<const qvTagAnchor*>(items[i].asTag());
    if (anchor == nullptr || !anchor->isFrame()) continue;
    ++frames;
    EXPECT_EQ(anchor->typeCode(), qvTagAnchor::kFrameCode);
  }
  EXPECT_EQ(frames, 2);
}

TEST_F(AnchorFixture, ALinkEndsBeforeAFrame) {
  site.write("index.html", "<a href=\"a.html\">text<frame src=\"a.html\">more</a>");
  site.write("a.html", "a");
  EXPECT_EQ(writeIndex(), "{\\uldb\\cf2 text}{\\v documentID1}Frame {\\uldb\\cf2 a.html}{\\v documentID1}more");
}

TEST_F(AnchorFixture, HotspotTextEndsAtTagsThatEndALink) {
  site.write("index.html", "<a href=\"a.html\">one<div>two</a> three");
  site.write("a.html", "a");
  const std::string rtf = writeIndex();
  EXPECT_TRUE(rtf.starts_with("{\\uldb\\cf2 one}{\\v documentID1}")) << rtf;
  EXPECT_NE(rtf.find("two"), std::string::npos);
  EXPECT_EQ(rtf.find("uldb", 5), std::string::npos) << rtf;
}

TEST_F(AnchorFixture, SurvivesTheIntermediateFile) {
  site.write("index.html", "<a href=\"a.html#p\" name=self>go</a>");
  site.write("a.html", "<a name=p>p</a>");
  writeIndex();
  qvTagAnchor* anchor = nullptr;
  for (std::size_t i = 0; i < items.size() && anchor == nullptr; ++i) {
    anchor = dynamic_cast<qvTagAnchor*>(items[i].asTag());
  }
  ASSERT_NE(anchor, nullptr);
  qvStringSink saved;
  qvItemWriter out(saved);
  ASSERT_TRUE(anchor->save(out));
  out.flush();
  qvTagAnchor copy(context);
  qvItemReader in(saved.text());
  copy.restore(in);
  EXPECT_TRUE(in.atEnd());
  EXPECT_EQ(copy.name(), "self");
  EXPECT_EQ(copy.classification(), qvLinkClass::Followed);
  qvItemReader cut(std::string_view(saved.text()).substr(0, saved.text().size() - 3));
  EXPECT_THROW(qvTagAnchor(context).restore(cut), qvItemReadError);
}

TEST_F(AnchorFixture, HotspotsInAFullTableCellKeepTheirText) {
  std::string html = "<table><tr><td><ul>";
  for (int i = 0; i < 2000; ++i) html += "<li><a href=\"a.html\">index entry " + std::to_string(10000 + i) + "</a>\n";
  site.write("index.html", html + "</ul></table>after");
  site.write("a.html", "a");
  const std::string rtf = writeIndex();
  std::size_t hotspots = 0;
  for (std::size_t at = rtf.find("{\\uldb\\cf2"); at != std::string::npos; at = rtf.find("{\\uldb\\cf2", at + 1)) {
    ++hotspots;
    // The last hotspot's text may be cut where the limit fell, never emptied.
    EXPECT_EQ(rtf.compare(at, 12, "{\\uldb\\cf2 i"), 0) << rtf.substr(at, 60);
  }
  // Some 29000 characters of text fit; the rest of the table is dropped
  // with one note, and the page goes on after it.
  EXPECT_GT(hotspots, 1400u);
  EXPECT_LT(hotspots, 2000u);
  EXPECT_EQ(rtf.find("entry 11999"), std::string::npos);
  EXPECT_NE(rtf.find("input truncated"), std::string::npos);
  EXPECT_EQ(rtf.find("input truncated"), rtf.rfind("input truncated"));
  EXPECT_TRUE(rtf.ends_with("after")) << rtf.substr(rtf.size() - 200);
  // A link ends its own hotspot, not the cell's: entries after it stay in
  // the table (\pard would end it).
  const std::size_t row = rtf.find("\\trowd");
  EXPECT_EQ(rtf.substr(row, rtf.find("\\cell\\row") - row).find("\\pard"), std::string::npos);
}

TEST_F(AnchorFixture, ALinkAfterAListLeavesTheLastEntryIndented) {
  site.write("index.html", "<ul><li>a<ul><li>b</ul></ul><a href=\"a.html\">next</a>");
  site.write("a.html", "a");
  const std::string rtf = writeIndex();
  EXPECT_NE(rtf.find("{\\f0\\'95} b\\par\\pard"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("{\\uldb\\cf2 next}{\\v documentID1}"), std::string::npos) << rtf;
}

TEST_F(AnchorFixture, ElementIdsAreAnchorsLinksLandOn) {
  site.write("index.html",
             "<a href=\"a.html#abs\">abs</a> <a href=\"a.html#intro\">intro</a> <a href=\"a.html#nothing\">none</a>"
             "<h2 id=\"top\">Heading</h2>one <span ID=mid>two</span> three");
  site.write("a.html", "<section id=intro><p>Intro</p></section><dl><dt id=\"abs\">abs()</dt><dd>x</dd></dl>");
  const std::string rtf = writeIndex();
  // The other page's ids were registered while it was crawled, in order.
  EXPECT_NE(rtf.find("{\\uldb\\cf2 abs}{\\v documentID1_nameID1}"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("{\\uldb\\cf2 intro}{\\v documentID1_nameID0}"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("{\\uldb\\cf2 none}{\\v documentID1}"), std::string::npos) << rtf;
  // Inside the text the footnote adds no blank.
  EXPECT_NE(rtf.find("{#{\\footnote documentID0_nameID0}}Heading"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("one {#{\\footnote documentID0_nameID1}}two three"), std::string::npos) << rtf;
}

TEST_F(AnchorFixture, ANameUsedTwiceIsDefinedWhereItFirstStands) {
  site.write("index.html", "<p id=twice>one</p><p id=twice>two</p><a name=twice>three</a>");
  const std::string rtf = writeIndex();
  const std::string footnote = "{#{\\footnote documentID0_nameID0}}";
  EXPECT_EQ(rtf.find(footnote + "one"), rtf.find(footnote)) << rtf;
  EXPECT_EQ(rtf.find(footnote, rtf.find(footnote) + 1), std::string::npos) << rtf;
}

TEST_F(AnchorFixture, ElementIdsLeaveLinksTitlesAndPreformattedTextAlone) {
  site.write("index.html",
             "<title id=t>Title</title><a href=\"a.html\">go <b id=in>bold</b> on</a> <a id=own name=n>x</a>"
             "<pre id=code>\nline</pre><p id=\"\">empty</p><p data-id=q>q</p>");
  site.write("a.html", "a");
  const std::string rtf = writeIndex();
  // The whole link text stays one hotspot.
  EXPECT_NE(rtf.find("{\\uldb\\cf2 go \\b bold \\b0 on}{\\v documentID1}"), std::string::npos) << rtf;
  // An <a> with name and id is one anchor, named by its name.
  EXPECT_NE(rtf.find("{#{\\footnote documentID0_nameID0}} x"), std::string::npos) << rtf;
  // <pre> still drops the line break that opens it.
  EXPECT_NE(rtf.find("{#{\\footnote documentID0_nameID1}}line"), std::string::npos) << rtf;
  // No anchor for the title, an empty id, or an attribute that only ends in "id".
  EXPECT_EQ(rtf.find("nameID2"), std::string::npos) << rtf;
  EXPECT_FALSE(context.urlTable().findAnchorName(*context.urlTable().startURL(), "t"));
  EXPECT_FALSE(context.urlTable().findAnchorName(*context.urlTable().startURL(), "in"));
}

TEST_F(AnchorFixture, ElementIdsAfterAFrameAndWithSpacedValuesAreAnchors) {
  // A frame is no link that stays open; white space may stand around "=".
  site.write("index.html",
             "<frameset><frame src=\"a.html\"></frameset><noframes><p id = spaced>x</p>"
             "<div class=\"sidebar\" width=3>y</div></noframes>");
  site.write("a.html", "a");
  writeIndex();
  EXPECT_TRUE(context.urlTable().findAnchorName(*context.urlTable().startURL(), "spaced"));
  EXPECT_FALSE(context.urlTable().findAnchorName(*context.urlTable().startURL(), "3"));
}

TEST_F(AnchorFixture, ElementIdAnchorsSurviveTheIntermediateFile) {
  site.write("index.html", "<h3 id=sec>Section</h3>");
  writeIndex();
  ASSERT_EQ(items.size(), 4u);  // <h3>, its anchor, the text, </h3>
  auto* anchor = dynamic_cast<qvTagAnchor*>(items[1].asTag());
  ASSERT_NE(anchor, nullptr);
  qvStringSink saved;
  qvItemWriter out(saved);
  ASSERT_TRUE(anchor->save(out));
  out.flush();
  qvTagAnchor copy(context);
  qvItemReader in(saved.text());
  copy.restore(in);
  EXPECT_TRUE(in.atEnd());
  EXPECT_EQ(copy.name(), "sec");
  EXPECT_FALSE(copy.hasTarget());
  context.contextStringsWritten.clear();  // as for the next topic
  qvRtfWriter rtf;
  rtf.resetForTopic();
  qvItemRefs none;
  qvItemCursor rest(none, 0);
  copy.writeRtf(rtf, rest);
  EXPECT_EQ(rtf.takeOutput(), "{#{\\footnote documentID0_nameID0}}");
}
