#include "rtf/qvTopicText.h"

#include <gtest/gtest.h>

using namespace qvTopicText;

TEST(TopicTextTest, EscapingKeepsFootnotesParseable) {
  EXPECT_EQ(escapeFootnoteText("a\\b{c}[d]"), "a\\\\b\\{c\\}\\[d\\]");
  EXPECT_EQ(escapeFootnoteText("caf\xe9 \xa0"), "caf\\'e9 \\'a0");
  EXPECT_EQ(escapeFootnoteText("plain text; 100%"), "plain text; 100%");
  EXPECT_EQ(escapeFootnoteText(""), "");
}

TEST(TopicTextTest, TitleFootnoteDropsCompilerSpecials) {
  EXPECT_EQ(titleFootnoteText("Price: 5% off {now}"), "Price: 5  off  now");
  EXPECT_EQ(titleFootnoteText("  1997 report "), "\"1997 report\"");
  EXPECT_EQ(titleFootnoteText("a#b=c+d>e@f*g!h"), "a b c d e f g h");
  EXPECT_EQ(titleFootnoteText("Line\r\nbreak"), "Line  break");
  EXPECT_EQ(titleFootnoteText("[x] \xfc"), "\\[x\\] \\'fc");
  EXPECT_EQ(titleFootnoteText("   "), "");
  EXPECT_EQ(titleFootnoteText("{}"), "");
}

TEST(TopicTextTest, TitleRegionCollapsesWhiteSpace) {
  EXPECT_EQ(titleRegionText("Home \t\r\n  page"), "Home page");
  EXPECT_EQ(titleRegionText("a [b]"), "a \\[b\\]");
}

TEST(TopicTextTest, KeywordsOfOrdinaryTitles) {
  EXPECT_EQ(keywordText("Main index of a site"), "Main index of a site;Main;index;site;");
  EXPECT_EQ(keywordText(" http://www.example.com/a b"),
            "www.example.com/a b;www.example.com/a;");
  EXPECT_EQ(keywordText("FTP:host"), "host;host;");
  EXPECT_EQ(keywordText("file://x/long,word;tiny"), "x/long,word;tiny;x/long;word;tiny;");
  EXPECT_EQ(keywordText("{Braces} here"), "\\{Braces\\} here;\\{Braces\\};here;");
}

TEST(TopicTextTest, KeywordsOfClassDocumentation) {
  EXPECT_EQ(keywordText("Class util.text.Parser"), "classes;util;text.util;Parser.text.util;");
  EXPECT_EQ(keywordText("interface java.io.Closeable extends Base"),
            "interfaces;java;io.java;Closeable.io.java;extends;Base;");
  EXPECT_EQ(keywordText("package pkg"), "packages;pkg;");
  EXPECT_EQ(keywordText("class ;x"), "classes;x;");
  // The title is trimmed first, so a lone "class " is an ordinary title.
  EXPECT_EQ(keywordText("class "), "class;class;");
  // Without the blank the first word is not the keyword "class".
  EXPECT_EQ(keywordText("classic cars"), "classic cars;classic;cars;");
}
