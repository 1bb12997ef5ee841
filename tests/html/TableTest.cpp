// Tables written as help-file table rows, with the RTF each case must give
// worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "HtmlTestSupport.h"
#include "html/qvTagTable.h"

namespace {

const std::string kAfterTable = "\\cell\\row\r\n\\pard\\f0\\li0\\ql\\fs18\\i0\\b0\\ul0\\par\r\n";

std::size_t count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

TEST(TableWidths, SharesOfPercentagesAndSpans) {
  using Edges = std::vector<int>;
  // 60% and 70% ask for more than the table: both are dropped.
  EXPECT_EQ(qvTagTable::rightEdges({60, 70}, {1, 1}), (Edges{4320, 8640}));
  EXPECT_EQ(qvTagTable::rightEdges({60, 0}, {1, 1}), (Edges{5184, 8640}));
  EXPECT_EQ(qvTagTable::rightEdges({0, 0, 0}, {1, 2, 1}), (Edges{2160, 6480, 8640}));
  EXPECT_EQ(qvTagTable::rightEdges({20, 0, 0}, {1, 1, 3}), (Edges{1728, 3456, 8640}));
  // A cell left with no share still gets a width: edges always grow.
  EXPECT_EQ(qvTagTable::rightEdges({100, 0}, {1, 1}), (Edges{8640, 8784}));
  EXPECT_EQ(qvTagTable::rightEdges({0}, {32767}), (Edges{8640}));
  EXPECT_EQ(qvTagTable::rightEdges({10, 10}, {1, 1}), (Edges{4320, 8640}));
  EXPECT_TRUE(qvTagTable::rightEdges({}, {}).empty());
  const Edges many = qvTagTable::rightEdges(std::vector<int>(200, 0), std::vector<int>(200, 1));
  EXPECT_TRUE(std::is_sorted(many.begin(), many.end()));
  EXPECT_EQ(std::adjacent_find(many.begin(), many.end()), many.end());
}

TEST(TableAttributes, NumbersAndBadValues) {
  HtmlFixture f;
  qvItemList& items = f.parse("<td colspan=+2 rowspan=0 width=150%><td colspan=x width=wide%><td width=300>");
  const auto& good = dynamic_cast<qvTagTable&>(items[0]);
  EXPECT_EQ(good.colspan(), 2);
  EXPECT_EQ(good.rowspan(), 1);
  EXPECT_EQ(good.widthPercent(), 150);
  const auto& bad = dynamic_cast<qvTagTable&>(items[1]);
  EXPECT_EQ(bad.colspan(), 1);
  EXPECT_EQ(bad.widthPercent(), 0);
  EXPECT_EQ(dynamic_cast<qvTagTable&>(items[2]).widthPercent(), 0);
  EXPECT_EQ(f.ui.messages, (std::vector<std::string>{"invalid numeric value 'x' in table tag",
                                                      "invalid numeric value 'wide' in table tag"}));
}

TEST(Tables, RowsCellsAndRowAlignment) {
  HtmlFixture f;
  EXPECT_EQ(f.render("<table><tr><td>a<td>b</table>after"),
            "\r\n\\trowd\\intbl\\trqc\\cellx4320 \\cellx8640 a\\cell b" + kAfterTable + "after");
  EXPECT_EQ(f.render("<table><tr align=center><td>a<td>b<tr><td>c</table>"),
            "\r\n\\trowd\\intbl\\trqc\\cellx4320 \\cellx8640 \\qc a\\cell b\\cell\r\n"
            "\\row\\trowd\\intbl\\trqc\\cellx8640 \\ql c" + kAfterTable);
  // Text before the table ends its paragraph first; a paragraph inside a
  // cell must not leave the table (\par without \pard).
  EXPECT_EQ(f.render("x<table><tr><td width=60%>a<p>b<td width=70%>c</table>"),
            "x\\par\\pard\\f0\\li0\\ql\\fs18\\i0\\b0\\ul0\r\n\r\n"
            "\\trowd\\intbl\\trqc\\cellx4320 \\cellx8640 a\\par\\line\\f0\\li0\\ql\\fs18\\i0\\b0\\ul0\r\nb\\cell c" +
                kAfterTable);
  // Cells without a row, and rows without cells.
  EXPECT_EQ(f.render("<table><td>a<tr><tr></table>"), "\r\n\\trowd\\intbl\\trqc\\cellx8640 a" + kAfterTable);
  EXPECT_EQ(f.render("<table></table>x<td>y"), "xy");
  EXPECT_FALSE(f.context.nestedTables);
}

TEST(Tables, CaptionCentredAboveTheTable) {
  HtmlFixture f;
  EXPECT_EQ(f.render("<table><tr><td>a<caption>Cap</caption></table>"),
            "\\qc Cap\\par\\pard\\f0\\li0\\ql\\fs18\\i0\\b0\\ul0\r\n\r\n"
            "\\trowd\\intbl\\trqc\\cellx8640 a" + kAfterTable);
}

TEST(Tables, NestedTablesAreFlattenedAndFlagged) {
  HtmlFixture f;
  EXPECT_EQ(f.render("<table><tr><td>x<table><tr><td>in1<td>in2<tr><td>in3</table>y</table>"),
            "\r\n\\trowd\\intbl\\trqc\\cellx8640 x in1 in2\\line\r\nin3y" + kAfterTable);
  EXPECT_TRUE(f.context.nestedTables);
  EXPECT_FALSE(f.context.bindingInsideTable);
  f.render("<table><tr><td>a</table><table><tr><td>b</table>");
  EXPECT_FALSE(f.context.nestedTables);
}

TEST(Tables, OversizedCellIsTruncatedOnceAndEndsTheTable) {
  HtmlFixture f;
  const std::string rtf = f.render("<table><tr><td>" + std::string(40000, 'x') +
                                   "<td>after<tr><td>next</table>tail");
  EXPECT_EQ(count(rtf, qvTagTable::kTruncationNote), 1u);
  EXPECT_EQ(rtf.find("after"), std::string::npos);
  EXPECT_EQ(rtf.find("next"), std::string::npos);
  const std::size_t xs = count(rtf, "x");
  EXPECT_GT(xs, static_cast<std::size_t>(qvRtfWriter::kCellLimit));
  EXPECT_LE(xs, static_cast<std::size_t>(qvRtfWriter::kCellLimit) + qvRtfWriter::kFlushSize);
  // The row still closes both of its cells, and the page goes on.
  const std::string end = std::string(qvTagTable::kTruncationNote) + "\\cell" + kAfterTable + "tail";
  EXPECT_EQ(rtf.substr(rtf.size() - end.size()), end);
  EXPECT_EQ(count(rtf, "\\cell"), 4u);  // two \cellx and two \cell
}

}  // namespace

namespace {

// A cell holding a list of `entries` items of about 40 characters of text.
std::string listInCell(int entries) {
  std::string html = "<table><tr><td><ul>";
  for (int i = 0; i < entries; ++i) html += "<li>entry " + std::to_string(100000 + i) + " of a long index list\n";
  return html + "</ul><td>second</table>tail";
}

}  // namespace

TEST(Tables, CellLimitCountsTextNotControlWords) {
  HtmlFixture f;
  // 600 entries are some 22000 characters of text, with bullets and
  // paragraph words on top: all of it is written.
  const std::string rtf = f.render(listInCell(600));
  EXPECT_EQ(count(rtf, qvTagTable::kTruncationNote), 0u);
  EXPECT_NE(rtf.find("entry 100599 of a long index list"), std::string::npos);
  EXPECT_NE(rtf.find("second"), std::string::npos);
  EXPECT_EQ(count(rtf, "{\\f0\\'95}"), 600u);
}

TEST(Tables, OverflowInsideANestedContainerEndsTheTable) {
  HtmlFixture f;
  const std::string rtf = f.render(listInCell(1200));
  EXPECT_EQ(count(rtf, qvTagTable::kTruncationNote), 1u);
  EXPECT_EQ(rtf.find("second"), std::string::npos);
  EXPECT_EQ(rtf.find("entry 101199"), std::string::npos);
  EXPECT_TRUE(rtf.ends_with(kAfterTable + "tail")) << rtf.substr(rtf.size() - 300);
  // Every bullet written is followed by its entry's text, the last one
  // cut where the limit fell.
  const std::size_t bullets = count(rtf, "{\\f0\\'95}");
  EXPECT_EQ(count(rtf, "{\\f0\\'95} e"), bullets) << rtf.substr(rtf.size() - 400);
  EXPECT_GT(bullets, 600u);
}
