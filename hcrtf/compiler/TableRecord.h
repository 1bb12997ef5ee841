#pragma once

#include <cstdint>
#include <vector>

#include "hcrtf/common/HelpFormat.h"

namespace hcrtf::compiler {

// The row layout that \trowd, \trgaph, \trleft, \cellx and \trqc describe.
// Distances are twips from the paragraph's left margin.
struct TableRowFormat {
  std::vector<int> cellRight;  // right edge of each cell (\cellx), in order
  int gap = 0;                 // \trgaph: half the space between two cells' text
  int left = 0;                // \trleft: left edge of the first cell
  bool centred = false;        // \trqc

  bool operator==(const TableRowFormat&) const = default;
};

// The parts of a table record that tables add to an ordinary paragraph
// record: the columns, what starts each cell and what ends the row. More
// paragraphs of a cell may follow its first one's paragraph end.
//
// A column's gap is the space before its text: for the first column the
// row's left edge plus \trgaph, for the others twice \trgaph. Viewers rebuild
// \cellx from width + gap sums, so the cell edges come back exactly.
//
// \trqc rows are stored as variable-width tables: widths and gaps are shares
// and the table width is the row's total, so the viewer can stretch the row
// across its window; other rows are fixed-width tables of absolute values.
// Values are in the paragraph records' unit of half points.
class TableRecord {
 public:
  // Throws std::invalid_argument for a row without cells or with more than
  // kTableMaxColumns; cell edges that do not increase give columns of width 0.
  static std::vector<std::uint8_t> columnHeader(const TableRowFormat& row);
  // What precedes the paragraph info of each cell's first paragraph.
  static std::vector<std::uint8_t> cellStart(int column);
  // What follows the last cell of the row.
  static std::vector<std::uint8_t> rowEnd();

  struct Column {
    int width = 0;
    int gap = 0;
  };
  // The columns in half points, before any scaling to shares.
  static std::vector<Column> columns(const TableRowFormat& row);
};

}  // namespace hcrtf::compiler
