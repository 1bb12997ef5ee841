#include "hcrtf/compiler/ParagraphRecordBuilder.h"

#include <algorithm>
#include <map>

#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/common/HelpHash.h"
#include "hcrtf/compiler/TextUtil.h"

namespace hcrtf::compiler {

namespace {

// RTF gives distances in twips.
long halfPoints(int twips) { return twips / kTwipsPerHalfPoint; }

std::int16_t shortRange(long value) { return static_cast<std::int16_t>(std::clamp(value, -0x4000L, 0x3FFFL)); }

std::uint8_t pictureCommand(char align) {
  if (align == 'l') return kCommandPictureLeft;
  if (align == 'r') return kCommandPictureRight;
  return kCommandPictureInline;
}

}  // namespace

ParagraphRecordBuilder::ParagraphRecordBuilder(Diagnostics& diagnostics, FontTable& fonts,
                                               const std::vector<WindowDef>& windows)
    : diag_(diagnostics), fonts_(fonts), windows_(windows) {}

void ParagraphRecordBuilder::build(const Paragraph& paragraph, std::size_t topic, std::vector<TopicRecord>& out,
                                   std::vector<AnchorAt>& anchors) {
  paragraph_ = &paragraph;
  topic_ = topic;
  out_ = &out;
  inHotspot_ = false;
  beginRecord(paragraph);
  content(paragraph, anchors, true);
  if (inHotspot_) command(kCommandHotspotEnd);
  inHotspot_ = false;
  endRecord(paragraph.endsWithPar);
  paragraph_ = nullptr;
  out_ = nullptr;
}

void ParagraphRecordBuilder::content(const Paragraph& paragraph, std::vector<AnchorAt>& anchors, bool maySplit) {
  for (const Inline& item : paragraph.content) {
    if (const auto* run = std::get_if<TextRun>(&item)) {
      if (run->text.empty()) continue;
      useFont(run->font);
      text(run->text);
    } else if (std::holds_alternative<LineBreak>(item)) {
      command(kCommandLineBreak);
    } else if (std::holds_alternative<Tab>(item)) {
      command(kCommandTab);
    } else if (const auto* start = std::get_if<HotspotStart>(&item)) {
      hotspot(start->hotspot);
    } else if (std::holds_alternative<HotspotEnd>(item)) {
      if (inHotspot_) command(kCommandHotspotEnd);
      inHotspot_ = false;
    } else if (const auto* pic = std::get_if<PictureRef>(&item)) {
      picture(*pic);
    } else if (const auto* anchor = std::get_if<AnchorMark>(&item)) {
      anchors.push_back(AnchorAt{anchor->context, out_->size(), static_cast<std::uint32_t>(data2_.size()), anchor->where});
    }
    if (maySplit) splitIfLong();
  }
}

void ParagraphRecordBuilder::buildTableRow(const std::vector<const Paragraph*>& row, std::size_t topic,
                                           std::vector<TopicRecord>& out, std::vector<AnchorAt>& anchors,
                                           const SourcePos& where) {
  if (row.empty()) return;
  topic_ = topic;
  out_ = &out;
  if (!buildRowRecords(row, anchors)) {
    diag_.warning(where, "table row too large for one table record; its cells are written as plain paragraphs");
    for (const Paragraph* p : row) {
      Paragraph plain = *p;
      plain.table.reset();
      build(plain, topic, out, anchors);
    }
  }
  paragraph_ = nullptr;
  out_ = nullptr;
}

namespace {

// The row's paragraphs in two parts: each cell's first half (rounded up) in
// the first, the rest in the second, in their order. Nothing when no cell has
// more than one paragraph, since then no split makes the row smaller.
std::optional<std::pair<std::vector<const Paragraph*>, std::vector<const Paragraph*>>> splitRow(
    const std::vector<const Paragraph*>& row) {
  std::map<int, std::size_t> perCell;
  for (const Paragraph* p : row) ++perCell[p->table->cell];
  if (std::all_of(perCell.begin(), perCell.end(), [](const auto& cell) { return cell.second < 2; })) return {};
  std::map<int, std::size_t> seen;
  std::pair<std::vector<const Paragraph*>, std::vector<const Paragraph*>> parts;
  for (const Paragraph* p : row) {
    const int cell = p->table->cell;
    const bool first = seen[cell]++ < (perCell[cell] + 1) / 2;
    (first ? parts.first : parts.second).push_back(p);
  }
  return parts;
}

}  // namespace

// A row whose cells hold more than one record can carry (an index page's
// columns of hundreds of links) becomes consecutive rows of the same columns,
// each cell's paragraphs continuing in the next row, so the columns still
// read top to bottom. False, with nothing kept, when even a row of one
// paragraph per cell is too large.
bool ParagraphRecordBuilder::buildRowRecords(const std::vector<const Paragraph*>& row, std::vector<AnchorAt>& anchors) {
  const std::size_t recordsBefore = out_->size();
  const std::size_t anchorsBefore = anchors.size();
  const std::optional<FontSpec> fontBefore = lastFont_;
  const auto undo = [&] {
    out_->resize(recordsBefore);
    anchors.resize(anchorsBefore);
    lastFont_ = fontBefore;
  };
  inTableRow_ = true;
  const bool fitted = tableRowRecord(row, anchors);
  inTableRow_ = false;
  if (fitted) return true;
  undo();
  const auto parts = splitRow(row);
  if (parts && buildRowRecords(parts->first, anchors) && buildRowRecords(parts->second, anchors)) return true;
  undo();
  return false;
}

// One table record: the row's columns, then each cell paragraph with its own
// paragraph header, ending in a paragraph end and the end mark, then the
// row's end.
bool ParagraphRecordBuilder::tableRowRecord(const std::vector<const Paragraph*>& row, std::vector<AnchorAt>& anchors) {
  TableRowFormat format = row.back()->table->row;
  int cells = 0;
  for (const Paragraph* p : row) cells = std::max(cells, p->table->cell + 1);
  if (cells > kTableMaxColumns) return false;
  // More cells than edges: the extra cells get the width of the last one.
  while (static_cast<int>(format.cellRight.size()) < cells) {
    const int last = format.cellRight.empty() ? format.left : format.cellRight.back();
    const int before = format.cellRight.size() > 1 ? format.cellRight[format.cellRight.size() - 2] : format.left;
    format.cellRight.push_back(last + std::max(720, last - before));
  }
  data1_ = ByteWriter{};
  data2_.clear();
  inHotspot_ = false;
  for (const Paragraph* p : row) {
    paragraph_ = p;
    data1_.bytes(TableRecord::cellStart(p->table->cell));
    header(p->format);
    recordFont_.reset();
    if (lastFont_) useFont(*lastFont_);
    content(*p, anchors, false);
    if (inHotspot_) command(kCommandHotspotEnd);
    inHotspot_ = false;
    command(kCommandParagraphEnd);
    command(kCommandEnd);
  }
  data1_.bytes(TableRecord::rowEnd());
  const std::vector<std::uint8_t> columns = TableRecord::columnHeader(format);
  // The record's fixed part must fit into one topic block.
  if (data2_.size() > kHardTextLimit || columns.size() + data1_.size() > kHardCommandLimit) return false;
  pushRecord(kRecordTable, columns, row.front()->format.nonScrolling);
  return true;
}

void ParagraphRecordBuilder::beginRecord(const Paragraph& paragraph) {
  data1_ = ByteWriter{};
  data2_.clear();
  recordFont_.reset();
  header(paragraph.format);
  if (lastFont_) useFont(*lastFont_);
}

void ParagraphRecordBuilder::header(const ParagraphFormat& f) {
  data1_.bytes(kParagraphInfoStart);
  data1_.u16(0);  // paragraph id, unused by viewers
  unsigned bits = 0;
  const int distances[] = {f.spaceBefore, f.spaceAfter, f.lineSpacing, f.leftIndent, f.rightIndent, f.firstIndent};
  const std::uint16_t distanceBits[] = {kParagraphSpaceBefore, kParagraphSpaceAfter, kParagraphLineSpacing,
                                        kParagraphLeftIndent, kParagraphRightIndent, kParagraphFirstIndent};
  for (int i = 0; i < 6; ++i) {
    if (halfPoints(distances[i]) != 0) bits |= distanceBits[i];
  }
  std::vector<TabStop> tabs;
  std::copy_if(f.tabs.begin(), f.tabs.end(), std::back_inserter(tabs), [](const TabStop& t) { return t.position >= 0; });
  std::sort(tabs.begin(), tabs.end(), [](const TabStop& a, const TabStop& b) { return a.position < b.position; });
  if (f.borders != 0) bits |= kParagraphBorder;
  if (!tabs.empty()) bits |= kParagraphTabs;
  if (f.alignment == Alignment::Right) bits |= kParagraphRight;
  if (f.alignment == Alignment::Centre) bits |= kParagraphCentre;
  if (f.keepTogether) bits |= kParagraphKeep;
  data1_.u16(static_cast<std::uint16_t>(bits));
  for (int i = 0; i < 6; ++i) {
    if (bits & distanceBits[i]) data1_.compressedI16(shortRange(halfPoints(distances[i])));
  }
  if (f.borders != 0) {
    data1_.u8(static_cast<std::uint8_t>(f.borders & 0x7F));
    data1_.u16(static_cast<std::uint16_t>(halfPoints(f.borderWidth)));
  }
  if (!tabs.empty()) {
    data1_.compressedI16(shortRange(static_cast<long>(tabs.size())));
    for (const auto& tab : tabs) {
      const long position = std::min(halfPoints(tab.position), long{kTabStopPosition});
      data1_.compressedU16(static_cast<std::uint16_t>(position | (tab.kind != 0 ? kTabStopHasKind : 0)));
      if (tab.kind != 0) data1_.compressedU16(static_cast<std::uint16_t>(tab.kind));
    }
  }
}

void ParagraphRecordBuilder::command(std::uint8_t code) {
  data2_.push_back(0);
  data1_.u8(code);
}

void ParagraphRecordBuilder::useFont(const FontSpec& font) {
  const std::uint16_t index = fonts_.intern(font);
  lastFont_ = font;
  if (recordFont_ == index) return;
  recordFont_ = index;
  command(kCommandFont);
  data1_.u16(index);
}

void ParagraphRecordBuilder::text(const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    splitIfLong();
    const std::size_t limit = inHotspot_ ? kHardTextLimit : kSoftTextLimit;
    const std::size_t room = limit > data2_.size() ? limit - data2_.size() : 0;
    const std::size_t take = std::max<std::size_t>(1, std::min(room, text.size() - done));
    data2_.insert(data2_.end(), text.begin() + static_cast<std::ptrdiff_t>(done),
                  text.begin() + static_cast<std::ptrdiff_t>(done + take));
    done += take;
  }
}

void ParagraphRecordBuilder::splitIfLong() {
  if (inTableRow_) return;
  const bool soft = data2_.size() >= kSoftTextLimit || data1_.size() >= kSoftCommandLimit;
  const bool hard = data2_.size() >= kHardTextLimit || data1_.size() >= kHardCommandLimit;
  if (!soft || (inHotspot_ && !hard)) return;
  // A hotspot may not continue into the next record: the viewer would meet
  // its end without its start.
  if (inHotspot_) command(kCommandHotspotEnd);
  inHotspot_ = false;
  endRecord(false);
  beginRecord(*paragraph_);
}

void ParagraphRecordBuilder::endRecord(bool paragraphEnd) {
  if (paragraphEnd) command(kCommandParagraphEnd);
  command(kCommandEnd);
  pushRecord(kRecordText, {}, paragraph_->format.nonScrolling);
}

// The record's lengths, `prefix` (a table's columns), then the commands.
void ParagraphRecordBuilder::pushRecord(std::uint8_t type, std::span<const std::uint8_t> prefix, bool nonScrolling) {
  ByteWriter data1;
  data1.compressedI32(static_cast<std::int32_t>(prefix.size() + data1_.size()));
  data1.compressedU16(static_cast<std::uint16_t>(std::min<std::size_t>(data2_.size(), 0x7FFF)));
  data1.bytes(prefix);
  data1.bytes(data1_.data());
  TopicRecord record;
  record.type = type;
  record.data1 = data1.take();
  record.data2 = std::move(data2_);
  record.topic = topic_;
  record.nonScrolling = nonScrolling;
  out_->push_back(std::move(record));
  data2_.clear();
}

void ParagraphRecordBuilder::hotspot(const Hotspot& h) {
  if (inHotspot_) command(kCommandHotspotEnd);
  inHotspot_ = true;
  const std::uint8_t plainBit = h.plain ? kHotspotPlainBit : 0;
  if (h.kind == Hotspot::Kind::Macro) {
    command(kCommandMacro | plainBit);
    const std::string macro = h.target.substr(0, 0xFFF0);
    data1_.u16(static_cast<unsigned>(macro.size() + 1));
    data1_.cString(macro);
    return;
  }
  const bool jump = h.kind == Hotspot::Kind::Jump;
  const auto hash = static_cast<std::uint32_t>(helpHash(h.target));
  if (!h.file.empty()) {
    ByteWriter payload;
    payload.u8(h.window.empty() ? kExternalFile : kExternalWindowAndFile);
    payload.u32(hash);
    if (!h.window.empty()) payload.cString(h.window);
    payload.cString(h.file);
    command((jump ? kCommandJumpExternal : kCommandPopupExternal) | plainBit);
    data1_.u16(static_cast<unsigned>(payload.size()));
    data1_.bytes(payload.data());
    return;
  }
  if (!h.window.empty() && jump) {
    const auto found = std::find_if(windows_.begin(), windows_.end(),
                                    [&](const WindowDef& w) { return equalsIgnoreCase(w.name, h.window); });
    if (found != windows_.end()) {
      command(kCommandJumpExternal | plainBit);
      data1_.u16(6);
      data1_.u8(kExternalWindowNumber);
      data1_.u32(hash);
      data1_.u8(static_cast<unsigned>(found - windows_.begin()));
      return;
    }
    diag_.warning(h.where, "window '" + h.window + "' is not defined in [WINDOWS]; the jump opens in the current window");
  }
  command((jump ? kCommandJump : kCommandPopup) | plainBit);
  data1_.u32(hash);
}

void ParagraphRecordBuilder::picture(const PictureRef& picture) {
  if (!pictures_) {
    diag_.warning(picture.where, "picture '" + picture.fileName + "' left out");
    return;
  }
  const std::optional<int> number = pictures_(picture);
  if (!number) return;
  command(pictureCommand(picture.align));
  data1_.u8(kPictureByNumber);
  data1_.compressedI32(4);
  data1_.u16(0);
  data1_.u16(static_cast<unsigned>(*number));
}

}  // namespace hcrtf::compiler
