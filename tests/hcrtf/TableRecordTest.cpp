#include "hcrtf/compiler/TableRecord.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "hcrtf/compiler/ParagraphRecordBuilder.h"
#include "hcrtf/dump/RecordRenderer.h"
#include "hcrtf/dump/TopicStream.h"

namespace hcrtf::compiler {
namespace {

std::int16_t shortAt(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::int16_t>(b.at(at) | (b.at(at + 1) << 8));
}

// The cell edges a viewer rebuilds from a column header, in twips, the way
// the viewers of these files do it: the first edge is width + gap of the
// first column plus half the second column's gap, each later edge adds that
// column's width and gap; variable-width tables scale shares by the width.
std::vector<long> viewerEdges(const std::vector<std::uint8_t>& h) {
  const int n = h.at(0);
  const bool variable = h.at(1) == 0 || h.at(1) == 2;
  const std::size_t cols = variable ? 4 : 2;
  const long tableWidth = variable ? shortAt(h, 2) : 32767;
  auto v = [&](int i) { return static_cast<long>(shortAt(h, cols + 2 * static_cast<std::size_t>(i))); };
  std::vector<long> edges;
  long pos = (n > 1 ? v(3) : 0) / 2;
  for (int c = 0; c < n; ++c) {
    pos += v(2 * c) + v(2 * c + 1);
    edges.push_back(pos * tableWidth / 32767 * 10);
  }
  return edges;
}

TEST(TableRecord, CellEdgesComeBackAsTheRowGaveThem) {
  TableRowFormat row;
  row.cellRight = {2000, 4500, 9000};
  row.gap = 108;
  row.left = -108;
  const auto fixed = TableRecord::columnHeader(row);
  EXPECT_EQ(fixed.at(0), 3);
  EXPECT_EQ(fixed.at(1), 1);  // absolute widths
  ASSERT_EQ(fixed.size(), 2u + 3 * 4);
  const auto edges = viewerEdges(fixed);
  ASSERT_EQ(edges.size(), 3u);
  EXPECT_EQ(edges[0], 2000);
  EXPECT_EQ(edges[1], 4500);
  EXPECT_EQ(edges[2], 9000);

  row.centred = true;
  const auto variable = TableRecord::columnHeader(row);
  EXPECT_EQ(variable.at(1), 0);  // shares of the window's width
  long shareSum = 0;
  for (int i = 0; i < 6; ++i) shareSum += shortAt(variable, 4 + 2 * static_cast<std::size_t>(i));
  EXPECT_EQ(shareSum, 32767);
  const auto scaled = viewerEdges(variable);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(scaled[i], edges[i], 20) << i;
}

TEST(TableRecord, OddRowsGiveUsableColumns) {
  TableRowFormat row;
  row.cellRight = {3000, 2000, 2500};  // not increasing
  row.gap = 50;
  for (const auto& c : TableRecord::columns(row)) {
    EXPECT_GE(c.width, 0);
    EXPECT_GE(c.gap, 0);
  }
  EXPECT_THROW(TableRecord::columnHeader(TableRowFormat{}), std::invalid_argument);
  TableRowFormat wide;
  for (int i = 1; i <= 256; ++i) wide.cellRight.push_back(i * 100);
  EXPECT_THROW(TableRecord::columnHeader(wide), std::invalid_argument);
  wide.cellRight.pop_back();
  EXPECT_EQ(TableRecord::columnHeader(wide).at(0), 255);
}

// A row as the record builder writes it, read back by the reader: each
// paragraph comes back in its cell, in order, and the row ends after the
// last one.
TEST(TableRecord, RowReadBackPutsEveryParagraphInItsCell) {
  TableRowFormat format;
  format.cellRight = {1000, 2000, 3000};
  format.gap = 50;
  const std::vector<std::pair<int, std::string>> cells = {{0, "A"}, {1, "B1"}, {1, "B2"}, {2, "C"}};
  std::vector<Paragraph> paragraphs;
  for (const auto& [cell, text] : cells) {
    Paragraph p;
    p.table = TablePlace{format, cell, false};
    p.content.push_back(TextRun{text, FontSpec{}, HotspotStyle::None});
    paragraphs.push_back(std::move(p));
  }
  paragraphs.back().table->endsRow = true;
  std::vector<const Paragraph*> row;
  for (const Paragraph& p : paragraphs) row.push_back(&p);

  Diagnostics diag(nullptr);
  FontTable fonts;
  const std::vector<WindowDef> windows;
  ParagraphRecordBuilder builder(diag, fonts, windows);
  std::vector<TopicRecord> records;
  std::vector<AnchorAt> anchors;
  builder.buildTableRow(row, 0, records, anchors, SourcePos{});
  ASSERT_EQ(records.size(), 1u);
  ASSERT_EQ(records[0].type, kRecordTable);

  dump::TopicLink link;
  link.recordType = records[0].type;
  link.data1 = records[0].data1;
  link.data2.assign(records[0].data2.begin(), records[0].data2.end());
  const std::map<std::int32_t, std::string> names;
  const std::vector<std::string> lines = dump::RecordRenderer(names).render(link).lines;
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].rfind("  table: 3 columns", 0), 0u) << lines[0];
  std::vector<std::pair<int, std::string>> found;
  for (std::size_t i = 1; i + 1 < lines.size(); i += 2) {
    ASSERT_EQ(lines[i].rfind("   cell ", 0), 0u) << lines[i];
    const std::string& text = lines[i + 1];
    found.emplace_back(std::stoi(lines[i].substr(8)), text.substr(text.rfind('>') + 1));
  }
  EXPECT_EQ(found, cells);
  EXPECT_EQ(lines.size(), 1 + 2 * cells.size());
}

}  // namespace
}  // namespace hcrtf::compiler
