#include "rtf/qvTopicFrame.h"

#include <gtest/gtest.h>

using namespace qvTopicFrame;

TEST(TopicFrameTest, PageColoursNeverReachPureWhite) {
  EXPECT_EQ(colourEntry(0x00FFFFFF), "\\red253\\green253\\blue253;");
  EXPECT_EQ(colourEntry(0x00FE0180), "\\red128\\green1\\blue253;");
  EXPECT_EQ(colourEntry(0x00000000), "\\red0\\green0\\blue0;");
  EXPECT_EQ(colourEntry(0x00FD00FC), "\\red252\\green0\\blue253;");
}

TEST(TopicFrameTest, HeaderPlacesPageColoursBeforeFixedOnes) {
  const auto lines = headerLines({0x000000FF, 0x0000FF00, 0x00FF0000});
  ASSERT_EQ(lines.size(), 28u);
  EXPECT_EQ(lines[0], "{\\rtf1");
  EXPECT_EQ(lines[4], "\\f2\\fmodern Courier New;");
  EXPECT_EQ(lines[8], "{\\colortbl;");
  EXPECT_EQ(lines[9], "\\red253\\green0\\blue0;");
  EXPECT_EQ(lines[10], "\\red0\\green253\\blue0;");
  EXPECT_EQ(lines[11], "\\red0\\green0\\blue253;");
  EXPECT_EQ(lines[12], "\\red0\\green255\\blue0;");
  EXPECT_EQ(lines[24], "\\red192\\green192\\blue192;");
  EXPECT_EQ(lines[25], "}");
  EXPECT_EQ(lines[27], "\\fs18");
}

TEST(TopicFrameTest, FootnotesAndEntryMacro) {
  qvTopicPage page;
  page.contextString = "documentID4";
  page.title = "1997 report";
  auto lines = footnoteLines(page);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "#{\\footnote documentID4}");
  EXPECT_EQ(lines[1], "${\\footnote \"1997 report\"}");
  EXPECT_EQ(lines[2], "K{\\footnote 1997 report;1997;report;}");
  page.browse = true;
  EXPECT_EQ(footnoteLines(page).back(), "+{\\footnote :auto}");

  EXPECT_TRUE(backgroundLines(-1).empty());
  EXPECT_EQ(backgroundLines(0x00C0C0C0),
            std::vector<std::string>{"!{\\footnote SetWindowLong(hwndContext, 0, 12632256)}"});
  EXPECT_EQ(backgroundLines(0).size(), 1u);
}

TEST(TopicFrameTest, TitleRegionNotes) {
  qvTopicPage page;
  page.title = "A  [b]";
  EXPECT_EQ(titleRegionLines(page),
            (std::vector<std::string>{"{\\keepn", "\\fs35\\b", "A \\[b\\]", "\\par\\pard}", "\\cf1"}));
  page.nestedTables = page.notFullyRetrieved = page.elementsSkipped = true;
  const auto lines = titleRegionLines(page);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[3],
            "\\par\\fs17\\b0\\i Warning : the HTML for this topic featured nested tables. Results may "
            "not be as expected.");
  EXPECT_EQ(lines[4], "\\par\\fs17\\b0\\i Note : This URL was not fully retrieved.");
  EXPECT_EQ(lines[5], "\\par\\fs17\\b0\\i Note : This URL had some elements skipped.");
}

TEST(TopicFrameTest, SourceLineHotspotOnlyForRemotePages) {
  EXPECT_TRUE(sourceLines("").empty());
  EXPECT_EQ(sourceLines("FILE:///home/a/x.htm"),
            std::vector<std::string>{"\\brdrb\\par\\pard\\f0\\fs18\\b0\\i\\qc"});
  const auto lines = sourceLines("http://h/a{b}");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "{\\uldb\\cf3 [http://h/a\\{b\\}]}{\\v *!ExecFile(\"http://h/a\\{b\\}\")}\\par\\pard");
}
