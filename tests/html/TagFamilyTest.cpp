// The tag classes bound and written the way the final pass does it, with
// the RTF each case must give worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "HtmlTestSupport.h"
#include "html/qvItemReader.h"
#include "html/qvItemWriter.h"
#include "html/qvPrototypeRegistry.h"
#include "html/qvTagBaseFont.h"
#include "html/qvTagDiv.h"
#include "html/qvTagFont.h"
#include "html/qvTagFormatting.h"
#include "html/qvTagHR.h"
#include "html/qvTagImg.h"
#include "html/qvTagP.h"
#include "html/qvTagTable.h"
#include "html/qvTagTitle.h"

namespace {

// A fixture whose pages belong to a real status of the run's URL table.
class PageFixture : public HtmlFixture {
 public:
  explicit PageFixture(const std::string& url = "http://example.com/dir/page.html") {
    page = context.urlTable().addURL(url, 0, 0);
    context.urlTable().makeURL(*page);
    context.urlTable().setCurrentPage(page);
  }

  // The first tag of the parsed page with class `name`.
  template <class T>
  T* first(qvItemList& items) {
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (auto* tag = dynamic_cast<T*>(&items[i])) return tag;
    }
    return nullptr;
  }

  qvURLStatus* page = nullptr;
};

bool logged(const HtmlFixture& f, const std::string& text) {
  for (const std::string& message : f.ui.messages) {
    if (message == text) return true;
  }
  return false;
}

TEST(Formatting, NestingAppliesEveryEnclosingChange) {
  HtmlFixture f;
  EXPECT_EQ(f.render("<b>bold <i>both</i></b> plain"), "\\b bold \\i both \\i0\\b0 plain");
  EXPECT_EQ(f.render("<b>a</b>b"), "\\b a\\b0 b");
  EXPECT_EQ(f.render("<tt>x</tt><u>y</u>"), "\\f2 x\\ul\\f0 y");
  // Recorded but not shown in help files.
  EXPECT_EQ(f.render("x<sup>2</sup><sub>3</sub><strike>s</strike>"), "x23s");
  EXPECT_EQ(f.render("<blockquote>a<blockquote>b</blockquote></blockquote>"),
            "\\li360 a\\li720 b");
  // big and small move the size two steps within 1..7.
  EXPECT_EQ(f.render("<big>a</big><small>b</small>"), "\\fs25 a\\fs11 b");
  // An unclosed tag reaches the end of the page.
  EXPECT_EQ(f.render("<em>a <b>b"), "\\i a \\b b");
}

TEST(Formatting, HeadingsAndCentreWriteTheirBreaks) {
  HtmlFixture f;
  EXPECT_EQ(f.render("x<h2 align=center>T</h2>y"),
            "x\\par\\pard\\line\\f0\\li0\\qc\\fs28\\i0\\b\\ul0\r\nT"
            "\\par\\pard\\line\\f0\\li0\\ql\\fs18\\i0\\b0\\ul0\r\ny");
  // Heading, centred and aligned blocks are paragraphs of their own, as
  // their alignment holds for whole paragraphs; at the top nothing opens.
  EXPECT_EQ(f.render("<h1>T</h1>"), "\\f0\\li0\\ql\\fs34\\i0\\b\\ul0\r\nT");
  EXPECT_EQ(f.render("a<center>b</center>c"), "a\\par\\pard\\f0\\li0\\qc\\fs18\\i0\\b0\\ul0\r\nb\\par\\pard\\f0\\li0\\ql\\fs18\\i0\\b0\\ul0\r\nc");
  EXPECT_EQ(f.render("a<blockquote>q</blockquote>b"), "a\\li360 q\\li0\\line\\line\r\nb");
}

TEST(Formatting, EndTagsAndInstanceCodes) {
  HtmlFixture f;
  qvItemList& items = f.parse("<STRONG>x</STRONG><h6 align=right>y</h6>");
  const qvItemRefs bound = f.parser.bindItems(items.refs());
  // strong's end tag is consumed; the heading keeps both of its tags.
  ASSERT_EQ(bound.size(), 4u);
  EXPECT_TRUE(items[2].isConsumed());
  const auto* heading = dynamic_cast<qvTagFormatting*>(bound[1]);
  ASSERT_NE(heading, nullptr);
  EXPECT_EQ(heading->typeCode(), qvTagFormatting::kHeading1 + 5);
  EXPECT_EQ(heading->headingAlignment(), 3);
  EXPECT_EQ(bound[2]->heading(), 6);
  EXPECT_EQ(bound[2]->alignment(), 3);
  EXPECT_TRUE(bound[2]->isBold());
  // "<bx>" is not "b" and changes nothing.
  EXPECT_EQ(f.render("<bx>a</bx>"), "a");
}

TEST(Fonts, SizesClampAndBaseFontReachesThePageEnd) {
  HtmlFixture f;
  EXPECT_EQ(f.render("<font size=+2>x</font>"), "\\fs25 x");
  EXPECT_EQ(f.render("<font size=9>x</font>y"), "\\fs32 x\\fs18 y");
  EXPECT_EQ(f.render("<font size=-5>x</font>"), "\\fs11 x");
  EXPECT_EQ(f.render("<font size=big>x</font>"), "x");
  EXPECT_TRUE(logged(f, "invalid numeric value 'big' in font tag"));
  EXPECT_EQ(f.render("<font size=99999999999999>x</font>"), "\\fs32 x");

  // basefont has no end: the size holds to the end of the page, and a
  // relative font size builds on it. After a paragraph the full attributes
  // use their own formula (17, where a change within the line gives 15).
  EXPECT_EQ(f.render("a<basefont size=2>b</basefont>c<font size=+1>d</font><p>e"),
            "a\\fs15 bc\\fs18 d\\par\\pard\\line\\f0\\li0\\ql\\fs17\\i0\\b0\\ul0\r\ne");
  EXPECT_EQ(f.render("<basefont size=+2>x"), "x");
  EXPECT_TRUE(logged(f, "invalid numeric value '+2' in BaseFont tag"));
}

TEST(Paragraphs, AlignmentReachesTheNextParagraphTag) {
  HtmlFixture f;
  EXPECT_EQ(f.render("<p align=right>a<p>b"), "\\qr a\\par\\pard\\line\\f0\\li0\\ql\\fs18\\i0\\b0\\ul0\r\nb");
  EXPECT_EQ(f.render("<p align=CENTRE>a</p>b"), "\\qc a\\par\\pard\\line\\f0\\li0\\ql\\fs18\\i0\\b0\\ul0\r\nb");
  // Two paragraph tags in a row give one break.
  EXPECT_EQ(f.render("a<p><p>b"), "a\\par\\pard\\line\\f0\\li0\\ql\\fs18\\i0\\b0\\ul0\r\nb");
  // In preformatted text the break is written at once.
  EXPECT_EQ(f.render("<pre>a<p>b</pre>"),
            "\\keep\\f2\\line\r\na\\line\\par\\pard\\keep\\f2\\li0\\ql\\fs18\\i0\\b0\\ul0\r\nb");
}

TEST(Paragraphs, DivisionsBreakAndBr) {
  HtmlFixture f;
  // The text after a division starts its own line, once however many
  // divisions end there.
  EXPECT_EQ(f.render("a<div>b</div>c"), "a\\line\r\nb\\line\r\nc");
  EXPECT_EQ(f.render("<div>a<div>b</div></div>c"), "a\\line\r\nb\\line\r\nc");
  EXPECT_EQ(f.render("<div>a</div><div>b</div>"), "a\\line\r\nb");
  EXPECT_EQ(f.render("a<div align=right>b</div>c"),
            "a\\par\\pard\\f0\\li0\\qr\\fs18\\i0\\b0\\ul0\r\nb\\par\\pard\\f0\\li0\\ql\\fs18\\i0\\b0\\ul0\r\nc");
  EXPECT_EQ(f.render("a<br>b<br><br>c</br>d"), "a\\line\r\nb\\line\\line\r\ncd");
}

TEST(Paragraphs, BlocksOfNewerPagesStartLinesLikeDivisions) {
  HtmlFixture f;
  const std::string rtf = f.render(
      "<header>Site</header><nav>Home</nav><main><article><section>Alpha</section><section>Beta</section>"
      "<figure>Picture<figcaption>Caption</figcaption></figure></article></main><footer>Copyright</footer>");
  std::string words;
  for (const char* word : {"Site", "Home", "Alpha", "Beta", "Picture", "Caption", "Copyright"}) {
    if (!words.empty()) words += "\\line\r\n";
    words += word;
  }
  EXPECT_EQ(rtf, words);
  // Names that only begin like one of them stay unknown tags.
  EXPECT_EQ(f.render("a<sections>b<navigate>c"), "abc");
}

TEST(Rules, HorizontalRule) {
  HtmlFixture f;
  EXPECT_EQ(f.render("a<hr>b"), "a\\fs10\\par\\li0\\brdrb\\par\\pard\\fs10\\par\\f0\\li0\\ql\\fs18\\i0\\b0\\ul0\r\nb");
  // The text after the rule is written at its own size, not at the rule's.
  EXPECT_EQ(f.render("<font size=5>a<hr>b</font>"),
            "\\fs25 a\\fs10\\par\\li0\\brdrb\\par\\pard\\fs10\\par\\f0\\li0\\ql\\fs21\\i0\\b0\\ul0\r\nb");

  // Inside a link's text the rule would end the hotspot: nothing.
  qvItemList& items = f.parse("<hr>");
  qvRtfWriter out;
  out.resetForTopic();
  out.enterHotspot();
  qvItemCursor rest(items.refs(), 1);
  items[0].asTag()->writeRtf(out, rest);
  EXPECT_EQ(out.takeOutput(), "");

  const auto newTopic = [&f](const std::string& html) {
    return dynamic_cast<qvTagHR&>(f.parse(html)[0]).newTopic();
  };
  EXPECT_TRUE(newTopic("<hr newtopic>"));
  EXPECT_TRUE(newTopic("<hr newtopic=YES>"));
  EXPECT_FALSE(newTopic("<hr newtopic=no>"));
  EXPECT_FALSE(newTopic("<hr>"));
}

TEST(Preformatted, KeepsLineBreaksUpToTheEndTag) {
  HtmlFixture f;
  // The line break right after <pre> is the markup's.
  EXPECT_EQ(f.render("<pre>\nx  y\nz</pre>w"),
            "\\keep\\f2\\line\r\nx  y\\line\r\nz\\f0\\line\\line\r\nw");
  EXPECT_EQ(f.render("<xmp><b>x</b></xmp>"), "\\keep\\f2 <b>x</b>");
}

TEST(Lists, NumbersBulletsAndNesting) {
  HtmlFixture f;
  EXPECT_EQ(f.render("<ol><li>a<li> b</ol>"),
            "\\f0\\li360\\ql\\fs18\\i0\\b0\\ul0\r\n1. a\\par\\pard\\f0\\li360\\ql\\fs18\\i0\\b0\\ul0\r\n2. b");
  EXPECT_EQ(f.render("x<ul><li>a<ul><li>b</ul><li>c</ul>y"),
            "x\\par\\pard\\line\\f0\\li360\\ql\\fs18\\i0\\b0\\ul0\r\n"
            "{\\f0\\'95} a\\par\\pard\\f0\\li720\\ql\\fs18\\i0\\b0\\ul0\r\n"
            "{\\f0\\'95} b\\par\\pard\\f0\\li360\\ql\\fs18\\i0\\b0\\ul0\r\n"
            "{\\f0\\'95} c\\par\\pard\\line\\f0\\li0\\ql\\fs18\\i0\\b0\\ul0\r\ny");
  // Numbers restart with every list; dir and menu are bulleted lists.
  const std::string twice = f.render("<ol><li>a</ol><ol><li>b</ol><menu><li>c</menu>");
  EXPECT_NE(twice.find("1. a"), std::string::npos);
  EXPECT_NE(twice.find("1. b"), std::string::npos);
  EXPECT_NE(twice.find("{\\f0\\'95} c"), std::string::npos);
  // An empty list and a stray li write nothing; an unclosed list takes
  // the rest of the page.
  EXPECT_EQ(f.render("<ul></ul><li>"), "");
  EXPECT_EQ(f.context.listDepth, 0);
  EXPECT_EQ(f.render("<ol><li>a"), "\\f0\\li360\\ql\\fs18\\i0\\b0\\ul0\r\n1. a");
}

TEST(Lists, DefinitionListsIndentDefinitions) {
  HtmlFixture f;
  EXPECT_EQ(f.render("<dl><dt>T<dd>D</dd><dt>U<dd>E</dl>x"),
            "\\f0\\li0\\ql\\fs18\\i0\\b0\\ul0\r\nT"
            "\\par\\pard\\f0\\li360\\ql\\fs18\\i0\\b0\\ul0\r\nD"
            "\\par\\pard\\f0\\li0\\ql\\fs18\\i0\\b0\\ul0\r\nU"
            "\\par\\pard\\f0\\li360\\ql\\fs18\\i0\\b0\\ul0\r\nE"
            "\\par\\pard\\line\\f0\\li0\\ql\\fs18\\i0\\b0\\ul0\r\nx");
  EXPECT_EQ(f.context.definitionListDepth, 0);
}

TEST(Forms, NoteReplacesTheControlsAndTheTextStays) {
  HtmlFixture f;
  EXPECT_EQ(f.render("a<form action=x><input name=q>in<select><option>o</select></form>b"),
            "a\\par\\pard\\line\\f0\\li0\\qc\\fs18\\i0\\b\\ul0\r\n"
            "A form was here in the original HTML file"
            "\\par\\pard\\line\\f0\\li0\\ql\\fs18\\i0\\b0\\ul0\r\ninob");
  // Tags the form let bind are consumed with the ones they took.
  qvItemList& items = f.parse("<form><ul><li>x</ul><b>y</b></form>");
  const qvItemRefs bound = f.parser.bindItems(items.refs());
  int tags = 0;
  for (qvHtmlInterface* item : bound) tags += item->asTag() != nullptr;
  EXPECT_EQ(tags, 1);
  EXPECT_EQ(bound.size(), 3u);
  EXPECT_TRUE(bound[2]->isBold());
}

TEST(Title, StoredTrimmedOnThePage) {
  PageFixture f;
  f.render("<title>\n  Home \r\n</title>");
  EXPECT_EQ(f.page->title, "Home");
  f.render("<title>A\r\nB</title>");
  EXPECT_EQ(f.page->title, "A\r\nB");
  EXPECT_EQ(qvTagTitle::cleanTitle(" \r\n x \n "), "x");

  f.page->title = "kept";
  f.render("<title> </title>");
  EXPECT_EQ(f.page->title, "kept");
  EXPECT_TRUE(logged(f, "Document has empty title"));

  f.render("<title>" + std::string(300, 't') + "</title>");
  EXPECT_EQ(f.page->title, std::string(255, 't'));
  EXPECT_TRUE(logged(f, "Document title exceeds 255 chars ; trimmed"));

  // Without its end tag the title is not taken.
  f.render("<title>lost");
  EXPECT_EQ(f.page->title, std::string(255, 't'));

  f.context.urlTable().setCurrentPage(nullptr);
  f.render("<title>x</title>");
  EXPECT_TRUE(logged(f, "Internal error : no status for URL  in qvTagTitle"));
}

TEST(PageTags, BodyColoursAndBase) {
  PageFixture f;
  f.settings.autoColour = true;
  f.parse("<body bgcolor=#FF8000 text=#00ff00 link=red vlink=#12345>");
  EXPECT_EQ(f.page->mainColour, 0x0080FFu);
  EXPECT_EQ(f.page->textColour, 0x00FF00u);
  EXPECT_EQ(f.page->linkColour, qvURLTable::kDefaultLinkColour);
  EXPECT_EQ(f.page->vlinkColour, qvURLTable::kDefaultVlinkColour);
  // A body without a usable bgcolor removes the background.
  f.parse("<BODY bgcolor=white>");
  EXPECT_EQ(static_cast<int>(f.page->mainColour), -1);
  // With the run's own colours chosen the page's are ignored.
  f.settings.autoColour = false;
  f.page->mainColour = 0xFFFFFF;
  f.parse("<body bgcolor=#000000>");
  EXPECT_EQ(f.page->mainColour, 0xFFFFFFu);
  EXPECT_EQ(f.render("<html><head></head><body>x</body></html>"), "x");

  f.parse("<base href=\"http://other.org/docs/index.html\">");
  EXPECT_EQ(f.page->baseURL, "http://other.org/docs/index.html");
  EXPECT_EQ(f.first<qvTagImg>(f.parse("<img src=a.gif>"))->imageURL(), "http://other.org/docs/a.gif");
  f.parse("<base href=\"http://[bad\">");
  EXPECT_TRUE(logged(f, "Malformed URL 'http://[bad' in BASE tag"));
  EXPECT_TRUE(logged(f, "Document has invalid BASE tag"));
}

TEST(Images, BitmapReferenceOrErrorText) {
  PageFixture f;
  const auto image = [&f](const std::string& html, const std::string& bitmap) {
    qvItemList& items = f.parse(html);
    if (auto* img = f.first<qvTagImg>(items)) img->setBitmapPath(bitmap);
    return HtmlFixture::write(f.parser.bindItems(items.refs()));
  };
  EXPECT_EQ(image("a<img src=x.gif align=middle>", "rtf/img3.bmp"), "a\\{bmc img3.bmp\\}");
  EXPECT_EQ(image("a<img src=x.gif align=right>", "rtf/img3.bmp"), "a\\{bmr img3.bmp\\}");
  EXPECT_EQ(image("a<img src=x.gif align=left>", "img3.bmp"), "a\\{bml img3.bmp\\}");
  EXPECT_EQ(image("a<img src=x.gif align=center>", "img3.bmp"), "a\\qc \\{bmc img3.bmp\\}");
  EXPECT_EQ(image("a <img src=x.gif> b", ""), "a \\b [Image error] \\b0 b");
  // No picture to show: the tag is dropped.
  EXPECT_EQ(image("a<img alt=x>b", ""), "ab");

  qvItemList& items = f.parse("<img src=\"pics/a b.gif\" width=40 height=x>");
  const qvTagImg* img = f.first<qvTagImg>(items);
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(img->imageURL(), "http://example.com/dir/pics/a b.gif");
  EXPECT_EQ(img->width(), 40);
  EXPECT_EQ(img->height(), 0);
  f.parse("<img src=\"http://[x\">");
  EXPECT_TRUE(logged(f, "Malformed URL in image tag (http://[x)"));
}

TEST(SaveRestore, TagFieldsSurviveTheIntermediateFile) {
  PageFixture f;
  qvItemList& items = f.parse(
      "<h2 align=right><p align=center><div align=left><font size=-2><basefont size=6><hr newtopic>"
      "<img src=a.gif width=10 height=20 align=right><td colspan=3 rowspan=2 width=40% align=center>");
  for (std::size_t i = 0; i < items.size(); ++i) {
    qvHtmlTag* tag = items[i].asTag();
    ASSERT_NE(tag, nullptr);
    if (auto* img = dynamic_cast<qvTagImg*>(tag)) img->setBitmapPath("rtf/a.bmp");
    qvStringSink sink;
    qvItemWriter writer(sink);
    ASSERT_TRUE(tag->save(writer));
    writer.flush();
    const qvTagFactory factory = qvRestoreFactory(tag->recordCode());
    ASSERT_NE(factory, nullptr);
    std::unique_ptr<qvHtmlTag> copy = factory(f.context, nullptr);
    copy->setTypeCode(tag->recordCode());
    qvItemReader reader(sink.text());
    copy->restore(reader);
    EXPECT_TRUE(reader.atEnd()) << tag->describe();
    // Saving the copy gives the same bytes: every field came back.
    qvStringSink again;
    qvItemWriter rewriter(again);
    copy->save(rewriter);
    rewriter.flush();
    EXPECT_EQ(again.text(), sink.text()) << tag->describe();
    EXPECT_EQ(copy->typeCode(), tag->typeCode());
  }
  EXPECT_EQ(dynamic_cast<qvTagFont&>(items[3]).size(), -2);
  EXPECT_TRUE(dynamic_cast<qvTagFont&>(items[3]).isRelative());
  EXPECT_EQ(dynamic_cast<qvTagBaseFont&>(items[4]).size(), 6);

  // A record cut short is an error, not a read past its end.
  qvStringSink sink;
  qvItemWriter writer(sink);
  items[6].asTag()->save(writer);
  writer.flush();
  qvItemReader cut(std::string_view(sink.text()).substr(0, sink.text().size() - 3));
  qvTagImg img(f.context);
  EXPECT_THROW(img.restore(cut), qvItemReadError);
}

}  // namespace

namespace {

std::string repeat(const std::string& part, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += part;
  return out;
}

TEST(HostilePages, EndlessNestingKeepsItsText) {
  HtmlFixture f;
  // Far deeper than containers may nest; Q is in no control word.
  constexpr int kLevels = 5000;
  for (const std::string open : {"<ul><li>Q", "<dl><dd>Q", "<ol><li><table><td><caption>Q", "<dir><dt>Q<menu>"}) {
    const std::string rtf = f.render(repeat(open, kLevels) + "end");
    EXPECT_EQ(std::count(rtf.begin(), rtf.end(), 'Q'), kLevels) << open;
    EXPECT_NE(rtf.find("end"), std::string::npos) << open;
    EXPECT_EQ(f.context.ownershipDepth, 0);
    EXPECT_EQ(f.context.listDepth, 0);
    EXPECT_EQ(f.context.definitionListDepth, 0);
    EXPECT_FALSE(f.context.bindingInsideTable);
  }
  // Flattened tables share one cell, which the cell limit ends once their
  // text (eight characters each, 40000 in all) passes it.
  const std::string tables = f.render(repeat("<table><tr><td>Qqqqqqqq", kLevels) + "end");
  EXPECT_NE(tables.find(qvTagTable::kTruncationNote), std::string::npos);
  EXPECT_EQ(tables.rfind("\\trowd"), tables.find("\\trowd"));
  EXPECT_TRUE(f.context.nestedTables);
  // Unbalanced end tags and rows outside tables are dropped quietly.
  EXPECT_EQ(f.render("</ul></ol></table></tr></td></dl></dd></caption></form></font>a"), "a");
}

// Every text of `rtf` that `words` names, counted: each must stand once.
void expectEachOnce(const std::string& rtf, int first, int last, const std::string& shape) {
  for (int i = first; i < last; ++i) {
    const std::string word = "Zq" + std::to_string(i) + "z";
    const std::size_t at = rtf.find(word);
    ASSERT_NE(at, std::string::npos) << shape << ": " << word << " missing";
    EXPECT_EQ(rtf.find(word, at + 1), std::string::npos) << shape << ": " << word << " written twice";
  }
}

// Levels of `shape`, each with its own word where the shape says "%".
std::string nested(const std::string& shape, int first, int count) {
  std::string page;
  for (int i = first; i < first + count; ++i) {
    const std::size_t mark = shape.find('%');
    page += shape.substr(0, mark) + "Zq" + std::to_string(i) + "z" + shape.substr(mark + 1);
  }
  return page;
}

TEST(HostilePages, NestedListsAndTablesWriteEachItemOnceAndGrowLinearly) {
  HtmlFixture f;
  for (const std::string shape : {"<ul><li>%<table><tr><td>", "<table><tr><td><ol><li>%", "<dl><dt>t<dd>%<table><td>",
                                  "<ul><li><table><caption>%<tr><th>", "<ol><li>%</table><table><td><ul>"}) {
    const std::string at25 = f.render(nested(shape, 0, 25));
    expectEachOnce(at25, 0, 25, shape);
    const std::string at50 = f.render(nested(shape, 0, 50));
    expectEachOnce(at50, 0, 50, shape);
    EXPECT_LT(at50.size(), 2 * at25.size() + 1000) << shape;
  }
}

TEST(HostilePages, ContainersThatSectionsAndFormsBindAgainAreWrittenOnce) {
  HtmlFixture f;
  // A style section that the tokenizer ends at </script> still binds up to
  // </style>, and a form binds every tag up to its end: both meet
  // containers that were bound already. Bound again, each nested level
  // took its items once more, and the page was written over and over
  // (a few hundred bytes made gigabytes).
  const std::string shape = "<ul><li>%<table><tr><td>";
  for (const auto& [open, close] : {std::pair<std::string, std::string>{"<style>p{}</script>", "</style>"},
                                    {"<form>", "</form>"}}) {
    const auto page = [&](int levels) {
      return open + nested(shape, 0, levels) + close + nested(shape, levels, levels);
    };
    const std::string at25 = f.render(page(25));
    expectEachOnce(at25, 25, 50, open);
    const std::string at50 = f.render(page(50));
    expectEachOnce(at50, 50, 100, open);
    EXPECT_LT(at50.size(), 2 * at25.size() + 1000) << open;
  }
}

}  // namespace

TEST(Lists, OuterEntryAfterANestedListKeepsItsIndent) {
  HtmlFixture f;
  // The shape of a generated table of contents: white space and end tags
  // between a nested list's end and the outer list's next entry.
  const std::string rtf = f.render(
      "<ul>\n<li>A<ul>\n<li>B<ul>\n<li>C</li>\n</ul>\n</li>\n<li>D</li>\n</ul>\n</li>\n<li>E</li>\n</ul>\n");
  EXPECT_EQ(rtf.find("\\li0"), rtf.rfind("\\li0")) << rtf;
  EXPECT_NE(rtf.find("\\li720\\ql\\fs18\\i0\\b0\\ul0\r\n{\\f0\\'95} D"), std::string::npos) << rtf;
  EXPECT_NE(rtf.find("\\li360\\ql\\fs18\\i0\\b0\\ul0\r\n{\\f0\\'95} E"), std::string::npos) << rtf;
  // No indent change is written inside the paragraph an entry ends.
  for (const char* entry : {"A\\par", "B\\par", "C\\par", "D\\par"}) {
    EXPECT_NE(rtf.find(entry), std::string::npos) << entry << "\n" << rtf;
  }
}

TEST(Lists, TheParagraphAfterAListKeepsTheLastEntryIndented) {
  HtmlFixture f;
  // Whatever follows the list, the \par that ends its last entry comes
  // before the next paragraph's indent and alignment.
  for (const std::string& after : {std::string("<div>next</div>"), std::string("<div align=center>next</div>"),
                                   std::string("next")}) {
    const std::string rtf = f.render("<ul><li>a<ul><li>b</ul></ul>" + after);
    EXPECT_NE(rtf.find("{\\f0\\'95} b\\par\\pard"), std::string::npos) << after << "\n" << rtf;
  }
}

TEST(Lists, AnEmptyLastDefinitionLeavesTheNextWordWhole) {
  HtmlFixture f;
  // The empty definition's paragraph is the break the list's end asks for:
  // the bold word after it keeps its first letter (no "\\bW" control
  // word) and gets its blank line before it, not inside it.
  for (const std::string& after : {std::string("<p><strong>Warn</strong>"), std::string("<p>Warn")}) {
    const std::string rtf = f.render("<dl><dt>x</dt><dd></dd></dl>" + after);
    EXPECT_EQ(rtf.find("\\bW"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\line\r\nWarn"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.find("W\\line"), std::string::npos) << rtf;
  }
}

TEST(Title, EntitiesAreDecodedAndUnknownOnesKeptAsWritten) {
  PageFixture f;
  f.render("<title>AT&amp;T &copy;&nbsp;2 &lt;x&gt; &#8212; &ndash; &#256; &madeup;</title>");
  EXPECT_EQ(f.page->title, "AT&T \xa9\xa0" "2 <x> \x97 \x96 &#256; &madeup;");
}
