#include "hcrtf/dump/RecordRenderer.h"

#include <cstring>

#include "hcrtf/common/FormatError.h"
#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/dump/TextEscape.h"

namespace hcrtf::dump {
namespace {

std::string hotspotKind(std::uint8_t code) {
  std::string kind = (code & kHotspotJumpBit) ? "jump" : "popup";
  if (code & kHotspotPlainBit) kind += "-invisible";
  return kind;
}

}  // namespace

// Cursor over LinkData2's NUL-separated strings plus the line being built.
struct RecordRenderer::State {
  explicit State(const std::string& t) : text(t) {}
  const std::string& text;
  std::size_t textPos = 0;
  std::vector<std::string> lines;
  std::string current;
  std::set<std::uint16_t> pictures;
  bool inTable = false;

  std::string nextString() {
    if (textPos >= text.size()) return {};
    const char* start = text.data() + textPos;
    const std::size_t len = strnlen(start, text.size() - textPos);
    textPos += len + 1;
    return std::string(start, len);
  }
  void endLine() {
    lines.push_back("    | " + current);
    current.clear();
  }
};

RecordRenderer::RecordRenderer(const std::map<std::int32_t, std::string>& names) : names_(names) {}

std::string RecordRenderer::target(std::int32_t hash) const {
  std::string s = hex32(static_cast<std::uint32_t>(hash));
  auto it = names_.find(hash);
  if (it != names_.end()) s += " " + escapeText(it->second);
  return s;
}

RecordRenderer::Result RecordRenderer::render(const TopicLink& link) const {
  if (link.recordType != kRecordText && link.recordType != kRecordTable &&
      link.recordType != kRecordOldText) {
    throw FormatError("|TOPIC record at " + hex32(link.position) + ": unknown record type " +
                      std::to_string(link.recordType));
  }
  ByteReader r(link.data1, "|TOPIC record at " + hex32(link.position));
  State s(link.data2);
  Result result;
  const bool newStyle = link.recordType == kRecordText || link.recordType == kRecordTable;
  r.compressedI32();  // size of the record's text in the topic, unused here
  if (newStyle) result.textLength = r.compressedU16();

  if (link.recordType != kRecordTable) {
    if (link.recordType == kRecordOldText) r.skip(2);
    paragraphInfo(r, s, "  text");
    textAndCommands(r, s);
  } else {
    s.inTable = true;
    const unsigned columns = r.u8();
    const unsigned type = r.u8();
    std::string head = "  table: " + std::to_string(columns) + " columns, type " + std::to_string(type);
    if (isVariableWidthTable(type)) head += ", min width " + std::to_string(r.i16());
    head += ", gap/width";
    for (unsigned c = 0; c < columns; ++c) {
      const std::int16_t gap = r.i16();
      head += " " + std::to_string(gap) + "/" + std::to_string(r.i16());
    }
    s.lines.push_back(head);
    while (!r.atEnd()) {
      const std::int16_t column = r.i16();
      if (column == kTableRowEnd) break;
      r.skip(3);
      paragraphInfo(r, s, "   cell " + std::to_string(column));
      textAndCommands(r, s);
    }
  }
  if (!s.current.empty()) s.endLine();
  result.lines = std::move(s.lines);
  result.pictures = std::move(s.pictures);
  return result;
}

void RecordRenderer::paragraphInfo(ByteReader& r, State& s, const std::string& prefix) const {
  r.skip(sizeof kParagraphInfoStart + 2);  // and the paragraph id
  const std::uint16_t bits = r.u16();
  std::string line = prefix + ":";
  if (bits & kParagraphUnknown) r.compressedI32();
  static const struct { std::uint16_t bit; const char* name; } spacings[] = {
      {kParagraphSpaceBefore, "sb"}, {kParagraphSpaceAfter, "sa"},  {kParagraphLineSpacing, "sl"},
      {kParagraphLeftIndent, "li"},  {kParagraphRightIndent, "ri"}, {kParagraphFirstIndent, "fi"}};
  for (const auto& sp : spacings) {
    if (bits & sp.bit) line += std::string(" ") + sp.name + "=" + std::to_string(r.compressedI16());
  }
  if (bits & kParagraphBorder) {
    const unsigned border = r.u8();
    line += " border=" + std::to_string(border) + "/" + std::to_string(r.i16());
  }
  if (bits & kParagraphTabs) {
    const std::int16_t count = r.compressedI16();
    line += " tabs=";
    for (std::int16_t i = 0; i < count; ++i) {
      const std::uint16_t stop = r.compressedU16();
      const std::uint16_t kind = (stop & kTabStopHasKind) ? r.compressedU16() : 0;
      line += (i ? "," : "") + std::to_string(stop & kTabStopPosition) + (kind == 1 ? "r" : kind == 2 ? "c" : "");
    }
  }
  if (bits & kParagraphRight) line += " right";
  if (bits & kParagraphCentre) line += " center";
  if (bits & kParagraphKeep) line += " keep";
  if (bits & 0xE080) line += " other-bits=" + hex32(bits & 0xE080u);
  s.lines.push_back(line);
}

void RecordRenderer::textAndCommands(ByteReader& r, State& s) const {
  while (true) {
    s.current += escapeText(s.nextString());
    if (r.atEnd()) throw FormatError("|TOPIC: formatting ends without its end mark");
    const std::uint8_t code = r.u8();
    if (code == kCommandEnd) return;
    command(code, r, s);
  }
}

void RecordRenderer::command(std::uint8_t code, ByteReader& r, State& s) const {
  switch (code) {
    case kCommandField: s.current += "<vfld " + std::to_string(r.i32()) + ">"; return;
    case kCommandDataType: s.current += "<dtype " + std::to_string(r.i16()) + ">"; return;
    case kCommandFont: s.current += "<font " + std::to_string(r.u16()) + ">"; return;
    case kCommandLineBreak: s.current += "<br>"; return;
    case kCommandParagraphEnd: s.endLine(); return;
    case kCommandTab: s.current += "<tab>"; return;
    case kCommandPictureInline: case kCommandPictureLeft: case kCommandPictureRight: picture(code, r, s); return;
    case kCommandHotspotEnd: s.current += "</hot>"; return;
    case kCommandNonBreakingSpace: s.current += "<nbsp>"; return;
    case kCommandNonBreakingHyphen: s.current += "<nbhyphen>"; return;
    case kCommandMacro: case kCommandMacro | kHotspotPlainBit: {
      const std::uint16_t len = r.u16();
      auto bytes = r.bytes(len);
      const char* p = reinterpret_cast<const char*>(bytes.data());
      s.current += std::string((code & kHotspotPlainBit) ? "<macro-invisible \"" : "<macro \"") +
                   escapeText(std::string(p, strnlen(p, len))) + "\">";
      return;
    }
    case kCommandPopupAtOffset: case kCommandJumpAtOffset:
      s.current += "<" + hotspotKind(code) + " @" + hex32(r.u32()) + ">";
      return;
    case kCommandPopup: case kCommandJump:
    case kCommandPopup | kHotspotPlainBit: case kCommandJump | kHotspotPlainBit:
      s.current += "<" + hotspotKind(code) + " " + target(r.i32()) + ">";
      return;
    case kCommandPopupExternal: case kCommandJumpExternal:
    case kCommandPopupExternal | kHotspotPlainBit: case kCommandJumpExternal | kHotspotPlainBit:
      externalJump(code, r, s);
      return;
    default:
      throw FormatError("|TOPIC: unknown formatting command " + hex32(code) + " at offset " +
                        std::to_string(r.position() - 1));
  }
}

void RecordRenderer::picture(std::uint8_t code, ByteReader& r, State& s) const {
  static const char* placement[] = {"bmc", "bml", "bmr"};
  const std::string where = placement[code - kCommandPictureInline];
  const std::uint8_t type = r.u8();
  const std::int32_t size = r.compressedI32();
  if (type == kPictureWithHotspots) r.compressedU16();  // hotspot count
  if (size < 0) throw FormatError("|TOPIC: picture with negative size");
  ByteReader data(r.bytes(static_cast<std::size_t>(size)), "|TOPIC picture");
  if (type == kPictureByNumber || type == kPictureWithHotspots) {
    const std::int16_t embedded = data.i16();
    if (embedded == 0) {
      const auto number = static_cast<std::uint16_t>(data.i16());
      s.pictures.insert(number);
      s.current += "<" + where + " |bm" + std::to_string(number) + ">";
    } else {
      s.current += "<" + where + " embedded " + std::to_string(size) + " bytes>";
    }
    return;
  }
  if (type == kPictureEmbeddedObject) {
    data.skip(6);
    const auto rest = data.bytes(data.remaining());
    const char* p = reinterpret_cast<const char*>(rest.data());
    s.current += "<" + where + "-object \"" + escapeText(std::string(p, strnlen(p, rest.size()))) + "\">";
    return;
  }
  s.current += "<" + where + " type " + std::to_string(type) + ">";
}

void RecordRenderer::externalJump(std::uint8_t code, ByteReader& r, State& s) const {
  const std::uint16_t len = r.u16();
  ByteReader d(r.bytes(len), "|TOPIC external jump");
  const std::uint8_t type = d.u8();
  std::string marker = "<" + hotspotKind(code) + "-ext " + target(d.i32());
  if (type == kExternalWindowNumber) marker += " window " + std::to_string(d.u8());
  if (type == kExternalWindowAndFile) marker += " window \"" + escapeText(d.cString()) + "\"";
  if (type == kExternalFile || type == kExternalWindowAndFile) marker += " file \"" + escapeText(d.cString()) + "\"";
  s.current += marker + ">";
}

}  // namespace hcrtf::dump
