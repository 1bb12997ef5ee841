#pragma once
// Tables: table, tr, td and th. A table owns every item up to its end tag;
// rows and cells are tags among those items, and the table writes them as
// help-file table rows (\trowd ... \cell ... \row). Cell widths come from
// the cells' percentages and column spans. A table inside a table cannot be
// shown as one: it is flattened into the outer cell, and the page is flagged
// so its topic carries a warning. Text in one cell is limited in size.

#include <cstdint>
#include <vector>

#include "html/qvNamedTag.h"

class qvTagCaption;

class qvTagTable : public qvNamedTag {
 public:
  static constexpr std::uint8_t kTableCode = 24;
  static constexpr std::uint8_t kRowCode = 25;
  static constexpr std::uint8_t kCellCode = 26;  // td and th
  // Width of a table in twips; cells share it by their percentages.
  static constexpr int kTableWidth = 8640;
  // No cell is narrower than this, so right edges always grow.
  static constexpr int kMinCellWidth = 144;
  static constexpr const char* kTruncationNote =
      "{\\par\\b\\i0 HTML source too large to fit into cell - input truncated\\par}";

  using qvNamedTag::qvNamedTag;

  // tr, td, th: an alignment goes to the items up to the next tag of the
  // same kind in the same table; kept. table: takes the items up to its
  // end tag into its own list, flagging the page when it is inside another
  // table; kept. End tags are dropped.
  bool bind(qvItemCursor& following) override;
  // table: its rows, or, inside another table's cell, its text flattened.
  // tr, td and th are written by their table.
  void writeRtf(qvRtfWriter& out, qvItemCursor& following) override;

  std::uint8_t cellAlignment() const { return alignment_; }
  int colspan() const { return colspan_; }
  int rowspan() const { return rowspan_; }
  // Percentage of the table width asked for, 0 when none.
  int widthPercent() const { return widthPercent_; }
  const qvItemRefs& items() const { return items_; }

  // Right edges in twips of cells with these percentages (0: none) and
  // column spans: percentages are discarded when they add up to more than
  // 100, cells without one share what is left by their spans, and the
  // shares are scaled to the table width. Edges always grow.
  static std::vector<int> rightEdges(const std::vector<int>& percents, const std::vector<int>& spans);

  bool save(qvItemWriter& out) const override;
  void restore(qvItemReader& in) override;
  std::string className() const override { return "TagTable"; }

 protected:
  void constructed() override;

 private:
  struct Cell {
    qvTagTable* tag;
    qvItemRefs items;
  };
  struct Layout {
    qvItemRefs before;  // items before the first cell, captions among them
    std::vector<std::vector<Cell>> rows;
  };

  void alignEnclosed(const qvItemCursor& following);
  bool bindTable(qvItemCursor& following);
  // A decimal number with an optional '+'; logs and gives nothing when
  // `value` is not one.
  std::optional<int> numberAttribute(std::string_view value) const;
  void readWidth();
  Layout layout() const;

  void writeGrid(qvRtfWriter& out);
  void writeFlattened(qvRtfWriter& out);
  // Closes the paragraph before or after the table and restates the
  // formatting record after \pard.
  void endParagraph(qvRtfWriter& out) const;
  static void writeRowStart(qvRtfWriter& out, const std::vector<Cell>& row);
  // Writes one cell's items under the cell limit; false when the cell
  // overflowed (the note is then written).
  static bool writeCell(qvRtfWriter& out, const Cell& cell);

  qvItemRefs items_;
  std::uint8_t alignment_ = 0;
  std::int16_t colspan_ = 1;
  std::int16_t rowspan_ = 1;
  std::int16_t widthPercent_ = 0;
};
