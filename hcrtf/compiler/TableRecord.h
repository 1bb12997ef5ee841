#pragma once

#include <cstdint>
#include <vector>

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

// The parts of a table paragraph record (type 0x23) that tables add to an
// ordinary paragraph record. Its layout:
//
//   lengths, as for a type 0x20 record
//   u8 columns, u8 table type, [i16 table width], (i16 width, i16 gap) per column
//   then per cell: i16 column, i16 0, u8 0, paragraph info, formatting
//     commands ending in 0x82 0xFF (more paragraphs of the cell may follow
//     the 0x82 before that)
//   i16 -1 after the last cell
//
// A column's gap is the space before its text: for the first column the
// row's left edge plus \trgaph, for the others twice \trgaph. Viewers rebuild
// \cellx from width + gap sums, so the cell edges come back exactly.
//
// \trqc rows are stored as variable-width tables (type 0): widths and gaps are
// shares of 32767 and the table width is the row's total, so the viewer can
// stretch the row across its window; other rows (type 1) use absolute values.
// Values are in the paragraph records' unit of 10 twips.
class TableRecord {
 public:
  // Most columns a record can describe.
  static constexpr int kMaxColumns = 255;

  // Throws std::invalid_argument for a row without cells or with more than
  // kMaxColumns; cell edges that do not increase give columns of width 0.
  static std::vector<std::uint8_t> columnHeader(const TableRowFormat& row);
  // What precedes the paragraph info of each cell's first paragraph.
  static std::vector<std::uint8_t> cellStart(int column);
  // What follows the last cell of the row.
  static std::vector<std::uint8_t> rowEnd();

  struct Column {
    int width = 0;
    int gap = 0;
  };
  // The columns in 10-twip units, before any scaling to shares.
  static std::vector<Column> columns(const TableRowFormat& row);
};

}  // namespace hcrtf::compiler
