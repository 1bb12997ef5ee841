#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HtmlTestSupport.h"
#include "html/qvTagDiscardable.h"

namespace {

// "T<code>" for tags (with "/" for end tags), the characters for text.
std::vector<std::string> summary(const qvItemList& items) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    qvHtmlInterface& item = items[i];
    if (qvHtmlTag* tag = item.asTag()) {
      out.push_back(std::string(tag->isEndTag() ? "T/" : "T") + std::to_string(tag->typeCode()));
    } else {
      out.push_back(std::string(item.asText()->chars()));
    }
  }
  return out;
}

using Items = std::vector<std::string>;

TEST(Tokenizer, TagNamesAreCaseInsensitiveAndMustEndAtBlankOrBracket) {
  HtmlFixture f;
  EXPECT_EQ(summary(f.parse("<B>bold</B>")), summary(f.parse("<b>bold</b>")));
  EXPECT_EQ(summary(f.parse("<b>x</b>")), (Items{"T3", "x", "T/3"}));
  // "<bx>" is not "b"; "<br/>" is not "br" and falls to the generic tag.
  EXPECT_EQ(summary(f.parse("<bx><br/><br /><BR>")), (Items{"T1", "T1", "T5", "T5"}));
  EXPECT_EQ(summary(f.parse("<!DOCTYPE html><p>")), (Items{"T1", "T12"}));
  EXPECT_EQ(f.render("<!DOCTYPE html>"), "");
}

TEST(Tokenizer, InstanceCodesFollowTheTagName) {
  HtmlFixture f;
  EXPECT_EQ(summary(f.parse("<h3><em><blockquote><li><ol><dd><th><body><style></style>")),
            (Items{"T65", "T29", "T44", "T19", "T22", "T21", "T26", "T15", "T51", "T/51"}));
}

TEST(Tokenizer, CommentsNestAndNeverBecomeItems) {
  HtmlFixture f;
  EXPECT_EQ(summary(f.parse("x<!-- a <!-- b --> c -->y")), (Items{"x", "y"}));
  // An unterminated comment swallows the rest of the page.
  EXPECT_EQ(summary(f.parse("x<!-- <b>never")), (Items{"x"}));
  std::string deep;
  for (int i = 0; i < 100000; ++i) deep += "<!--";
  deep += "inside";
  for (int i = 0; i < 100000; ++i) deep += "-->";
  EXPECT_EQ(summary(f.parse(deep + "after")), (Items{"after"}));
  EXPECT_TRUE(f.parsed);
}

TEST(Tokenizer, ScriptSectionRecognisesOnlyItsOwnEndTag) {
  HtmlFixture f;
  const qvItemList& items = f.parse("<script>if (a<b) x=\"</b>\"; &amp; <!-- </script>after");
  const Items got = summary(items);
  ASSERT_GE(got.size(), 3u);
  EXPECT_EQ(got.front(), "T48");
  EXPECT_EQ(got[got.size() - 2], "T/48");
  EXPECT_EQ(got.back(), "after");
  std::string inside;
  for (std::size_t i = 1; i + 2 < got.size(); ++i) inside += got[i];
  EXPECT_EQ(inside, "if (a<b) x=\"</b>\"; &amp; <!-- ");
  EXPECT_EQ(f.context.exclusiveMode, 0);
}

TEST(Tokenizer, ScriptAndStyleTextNeverReachTheTopic) {
  HtmlFixture f;
  EXPECT_EQ(f.render("a<script>var x = 1;</script> b<style>p { }</style>c"), "a bc");
  // A script that never ends takes the rest of the page with it.
  EXPECT_EQ(f.render("a<script>var x"), "a");
}

TEST(Tokenizer, PlaintextSectionsShowMarkupLiterally) {
  HtmlFixture f;
  EXPECT_EQ(f.render("<xmp><b>x</b></xmp>"), "\\keep\\f2 <b>x</b>");
}

TEST(Tokenizer, AttributeForms) {
  HtmlFixture f;
  f.parse("<a href=x.html target=_top>");
  EXPECT_EQ(f.context.getAttribute("href"), "x.html");
  EXPECT_EQ(f.context.getAttribute("target"), "_top");
  f.parse("<img src = \"a b.gif\" ISMAP>");
  EXPECT_EQ(f.context.getAttribute("src"), "a b.gif");
  EXPECT_TRUE(f.context.hasAttribute("ismap"));
  EXPECT_EQ(f.context.getAttribute("ismap"), "");
  f.parse("<td NOWRAP colspan=2 Align=\" Center \">");
  EXPECT_TRUE(f.context.attributeEquals("nowrap", ""));
  EXPECT_TRUE(f.context.attributeEquals("colspan", "2"));
  EXPECT_EQ(f.context.getAttribute("align"), "Center");
  EXPECT_FALSE(f.context.getAttribute("width").has_value());
  // The generic tag parses no attributes.
  f.parse("<span class=x>");
  EXPECT_TRUE(f.context.attributes().empty());
}

TEST(Tokenizer, SingleQuotedValuesLoseTheirQuotesLikeDoubleQuotedOnes) {
  HtmlFixture f;
  f.parse("<a href='b.html' name = ' top ' target='_top'>");
  EXPECT_EQ(f.context.getAttribute("href"), "b.html");
  EXPECT_EQ(f.context.getAttribute("name"), "top");
  EXPECT_EQ(f.context.getAttribute("target"), "_top");
  // Blanks and the other quote belong to the value.
  f.parse("<img alt='a \"quoted\" word' src=\"it's.gif\" width=''>");
  EXPECT_EQ(f.context.getAttribute("alt"), "a \"quoted\" word");
  EXPECT_EQ(f.context.getAttribute("src"), "it's.gif");
  EXPECT_EQ(f.context.getAttribute("width"), "");
  // An apostrophe inside an unquoted value, or a quote left open, is text.
  f.parse("<img alt=don't src='x.gif>");
  EXPECT_EQ(f.context.getAttribute("alt"), "don't");
  EXPECT_EQ(f.context.getAttribute("src"), "'x.gif");
}

TEST(Tokenizer, TagSplitOverLinesIsNormalized) {
  HtmlFixture f;
  qvItemList& items = f.parse("<a\nhref=\"x\r\ny\">");
  ASSERT_EQ(items.size(), 1u);
  qvHtmlTag* tag = items[0].asTag();
  EXPECT_EQ(tag->normalizeTagText(tag->text()), "<a href=\"xy\">");
  EXPECT_EQ(f.context.getAttribute("href"), "xy");
  EXPECT_EQ(tag->normalizeTagText("</\nb>"), "</b>");
  EXPECT_TRUE(items[0].asTag()->length() == 15);
}

TEST(Tokenizer, LoneBracketsAndAmpersandsStayText) {
  HtmlFixture f;
  // A bracket or ampersand that starts nothing continues the text it is in.
  EXPECT_EQ(summary(f.parse("a < b & c")), (Items{"a < b & c"}));
  EXPECT_EQ(summary(f.parse("5 > 3")), (Items{"5 > 3"}));
  EXPECT_EQ(f.render("5 > 3 < 4 & x"), "5 > 3 < 4 & x");
  EXPECT_EQ(summary(f.parse(">>&x<p>>")), (Items{">>&x", "T12", ">"}));
  EXPECT_EQ(summary(f.parse("a&amp;<b")), (Items{"a", "&", "<b"}));
  // An unterminated tag at the end of the page is text.
  EXPECT_EQ(summary(f.parse("x<b")), (Items{"x<b"}));
  EXPECT_EQ(summary(f.parse("<")), (Items{"<"}));
}

TEST(Tokenizer, CancelStopsTheParse) {
  HtmlFixture f;
  f.ui.cancelAfter = 2;
  EXPECT_THROW(f.parse("a<b>c<i>d"), qvCancelException);
  HtmlFixture g;
  g.settings.abortCrawl = true;
  EXPECT_TRUE(g.parse("a<b>c").empty());
}

TEST(Tokenizer, TextRunsReferToThePage) {
  HtmlFixture f;
  qvItemList& items = f.parse("ab<p>cd");
  const std::string& page = *f.pages.back();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].asText()->chars().data(), page.data());
  EXPECT_EQ(items[2].asText()->offset(), 5u);
  EXPECT_EQ(f.context.textItemCount, 2);
}

TEST(Tokenizer, DescriptionsForTheLog) {
  HtmlFixture f;
  qvItemList& items = f.parse("<span>x&amp;");
  EXPECT_EQ(items[0].describe(), "GenericTag ( )");
  EXPECT_EQ(items[1].describe(), "htmlText( x )");
  EXPECT_EQ(items[2].describe(), "htmlEscape( )");
  EXPECT_EQ(qvHtmlTextString("", 0, 0).describe(), "htmlText( )");
}

}  // namespace
