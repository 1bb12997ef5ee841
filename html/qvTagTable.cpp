#include "html/qvTagTable.h"

#include <algorithm>
#include <string>

#include "html/qvHtmlContext.h"
#include "html/qvItemReader.h"
#include "html/qvItemWriter.h"
#include "html/qvPrototypeRegistry.h"
#include "html/qvTagCaption.h"
#include "html/qvTagValues.h"
#include "rtf/qvRtfWriter.h"

namespace {

constexpr int kMaxSpan = 32767;

qvHtmlTag* beginTag(qvHtmlInterface* item, std::uint8_t code) {
  return qvNamedTag::isBeginOf(item, code) ? item->asTag() : nullptr;
}

}  // namespace

// ---------------------------------------------------------------- reading

std::optional<int> qvTagTable::numberAttribute(std::string_view value) const {
  std::string_view digits = value;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  const std::optional<int> number = qvTagValues::parseInteger(digits);
  if (!number) log("invalid numeric value '" + std::string(value) + "' in table tag");
  return number;
}

void qvTagTable::readWidth() {
  const std::optional<std::string> width = getAttribute("width");
  if (!width || width->empty() || width->back() != '%') return;
  const std::optional<int> percent = numberAttribute(std::string_view(*width).substr(0, width->size() - 1));
  if (percent) widthPercent_ = static_cast<std::int16_t>(std::clamp(*percent, 0, kMaxSpan));
}

void qvTagTable::constructed() {
  setTypeCode(qvInstanceTypeCode(typeCode(), tagName()));
  if (isEndTag()) return;
  alignment_ = qvTagValues::parseAlignment(getAttribute("align").value_or(""));
  for (const char* name : {"colspan", "rowspan"}) {
    const std::optional<std::string> value = getAttribute(name);
    if (!value) continue;
    const std::optional<int> number = numberAttribute(*value);
    if (!number) continue;
    // A span below 1 spans one column, as browsers read it.
    const auto span = static_cast<std::int16_t>(std::clamp(*number, 1, kMaxSpan));
    (std::string_view(name) == "colspan" ? colspan_ : rowspan_) = span;
  }
  readWidth();
}

// ---------------------------------------------------------------- binding

void qvTagTable::alignEnclosed(const qvItemCursor& following) {
  setAlignment(alignment_);
  const std::uint8_t code = typeCode();
  int depth = 0;
  forEachFollowing(
      following,
      [code, &depth](qvHtmlInterface& item) {
        if (isBeginOf(&item, kTableCode)) ++depth;
        if (isEndOf(&item, kTableCode) && depth-- == 0) return true;
        return depth == 0 && isBeginOf(&item, code);
      },
      [this](qvHtmlInterface& item) { item.setAlignment(alignment_); });
}

bool qvTagTable::bindTable(qvItemCursor& following) {
  qvHtmlContext& run = context();
  if (run.bindingInsideTable) run.nestedTables = true;
  const bool outer = run.bindingInsideTable;
  run.bindingInsideTable = true;
  qvHtmlInterface* end =
      takeFollowing(following, items_, [](qvHtmlInterface& item) { return isEndOf(&item, kTableCode); });
  run.bindingInsideTable = outer;
  if (end != nullptr) {
    end->markConsumed();
    following.next();
  }
  return true;
}

bool qvTagTable::bind(qvItemCursor& following) {
  if (isConsumed() || isEndTag()) return false;
  if (typeCode() == kTableCode) return canOwnMore() && bindTable(following);
  if (alignment_ != qvTagValues::kAlignNone) alignEnclosed(following);
  return true;
}

// ---------------------------------------------------------------- layout

std::vector<int> qvTagTable::rightEdges(const std::vector<int>& percents, const std::vector<int>& spans) {
  const std::size_t n = std::min(percents.size(), spans.size());
  long long given = 0;
  long long columns = 0;
  long long unsized = 0;
  for (std::size_t i = 0; i < n; ++i) {
    columns += spans[i];
    if (percents[i] > 0) {
      given += percents[i];
    } else {
      unsized += spans[i];
    }
  }
  const bool discard = given > 100;
  if (discard) {
    given = 0;
    unsized = columns;
  }
  std::vector<long long> shares(n);
  long long total = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const bool sized = !discard && percents[i] > 0;
    shares[i] = sized ? percents[i] : (unsized > 0 ? (100 - given) / unsized * spans[i] : 0);
    total += shares[i];
  }
  // Shares that came out as nothing (a row of huge spans, percentages
  // adding up to 100 beside unsized cells) fall back to the spans.
  if (total <= 0) {
    for (std::size_t i = 0; i < n; ++i) shares[i] = spans[i];
    total = std::max<long long>(columns, 1);
  }
  std::vector<int> edges(n);
  long long edge = 0;
  for (std::size_t i = 0; i < n; ++i) {
    edge += std::max<long long>(kMinCellWidth, kTableWidth * shares[i] / total);
    edges[i] = static_cast<int>(std::min<long long>(edge, 0x7FFFFFFF));
  }
  return edges;
}

qvTagTable::Layout qvTagTable::layout() const {
  Layout result;
  Cell* last = nullptr;
  for (qvHtmlInterface* item : items_) {
    if (beginTag(item, kRowCode) != nullptr) {
      result.rows.emplace_back();
      continue;
    }
    if (auto* cell = dynamic_cast<qvTagTable*>(beginTag(item, kCellCode))) {
      if (result.rows.empty()) result.rows.emplace_back();
      result.rows.back().push_back(Cell{cell, {}});
      last = &result.rows.back().back();
      continue;
    }
    // Captions go above the table wherever the page put them; anything
    // between cells belongs to the cell before it.
    if (last == nullptr || beginTag(item, qvTagCaption::kCode) != nullptr) {
      result.before.push_back(item);
    } else {
      last->items.push_back(item);
    }
  }
  std::erase_if(result.rows, [](const std::vector<Cell>& row) { return row.empty(); });
  return result;
}

// ---------------------------------------------------------------- writing

void qvTagTable::endParagraph(qvRtfWriter& out) const {
  out.clearPendingBreaks();
  if (!out.atParagraphStart()) out.breakParagraph(*this);
}

void qvTagTable::writeRowStart(qvRtfWriter& out, const std::vector<Cell>& row) {
  std::vector<int> percents;
  std::vector<int> spans;
  for (const Cell& cell : row) {
    percents.push_back(cell.tag->widthPercent());
    spans.push_back(cell.tag->colspan());
  }
  std::string words = "\\trowd\\intbl\\trqc";
  for (const int edge : rightEdges(percents, spans)) words += "\\cellx" + std::to_string(edge) + " ";
  out.writeClosedControlWords(words);
}

bool qvTagTable::writeCell(qvRtfWriter& out, const Cell& cell) {
  out.beginCell();
  qvItemCursor rest(cell.items, 0);
  while (qvHtmlInterface* item = rest.next()) {
    qvWriteItem(*item, out, rest);
    out.flush();
    if (out.writingStopped()) break;
  }
  out.endCell();
  if (out.overCellLimit()) {
    out.write(kTruncationNote);
    return false;
  }
  // Past the topic's bound the table only closes; the topic ends with
  // its own note.
  return !out.overTopicLimit();
}

void qvTagTable::writeGrid(qvRtfWriter& out) {
  const Layout table = layout();
  endParagraph(out);
  qvWriteItems(table.before, out);
  endParagraph(out);
  if (table.rows.empty()) return;
  out.write("\r\n");
  bool complete = true;
  for (std::size_t r = 0; r < table.rows.size() && complete; ++r) {
    if (r > 0) out.write("\\cell\r\n\\row");
    writeRowStart(out, table.rows[r]);
    for (std::size_t c = 0; c < table.rows[r].size() && complete; ++c) {
      if (c > 0) out.writeControlWords("\\cell");
      complete = writeCell(out, table.rows[r][c]);
      // A truncated row still closes every cell it declared.
      for (std::size_t rest = c + 1; !complete && rest < table.rows[r].size(); ++rest) out.write("\\cell");
    }
  }
  out.write("\\cell\\row\r\n\\pard");
  writeFullAttributes(out);
  out.write("\\par\r\n");
  out.endTable();
}

void qvTagTable::writeFlattened(qvRtfWriter& out) {
  bool firstRow = true;
  qvItemCursor rest(items_, 0);
  while (qvHtmlInterface* item = rest.next()) {
    if (out.writingStopped()) return;
    if (beginTag(item, kRowCode) != nullptr) {
      if (!firstRow) out.addLineBreaks(1);
      firstRow = false;
    } else if (beginTag(item, kCellCode) != nullptr) {
      out.requestSpace();
    } else {
      qvWriteItem(*item, out, rest);
    }
  }
}

void qvTagTable::writeRtf(qvRtfWriter& out, qvItemCursor& /*following*/) {
  if (isEndTag() || typeCode() != kTableCode) return;
  if (out.inCell()) {
    writeFlattened(out);
    return;
  }
  writeGrid(out);
}

bool qvTagTable::save(qvItemWriter& out) const {
  qvHtmlTag::save(out);
  out.writeU8(alignment_);
  out.writeI16(colspan_);
  out.writeI16(rowspan_);
  out.writeI16(widthPercent_);
  return out.ok();
}

void qvTagTable::restore(qvItemReader& in) {
  qvHtmlTag::restore(in);
  alignment_ = in.readU8();
  colspan_ = std::clamp<std::int16_t>(in.readI16(), 1, kMaxSpan);
  rowspan_ = std::clamp<std::int16_t>(in.readI16(), 1, kMaxSpan);
  widthPercent_ = std::clamp<std::int16_t>(in.readI16(), 0, kMaxSpan);
}
