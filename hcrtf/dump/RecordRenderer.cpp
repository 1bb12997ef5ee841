#include "hcrtf/dump/RecordRenderer.h"

#include <cstring>

#include "hcrtf/common/FormatError.h"
#include "hcrtf/dump/TextEscape.h"

namespace hcrtf::dump {
namespace {

constexpr std::uint8_t kTextRecord = 0x20;
constexpr std::uint8_t kTableRecord = 0x23;
constexpr std::uint8_t kOldTextRecord = 0x01;
constexpr std::uint8_t kEndOfCommands = 0xFF;

std::string hotspotKind(std::uint8_t code) {
  std::string kind = (code & 1) ? "jump" : "popup";
  if (code & 4) kind += "-invisible";
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
  if (link.recordType != kTextRecord && link.recordType != kTableRecord &&
      link.recordType != kOldTextRecord) {
    throw FormatError("|TOPIC record at " + hex32(link.position) + ": unknown record type " +
                      std::to_string(link.recordType));
  }
  ByteReader r(link.data1, "|TOPIC record at " + hex32(link.position));
  State s(link.data2);
  Result result;
  const bool newStyle = link.recordType == kTextRecord || link.recordType == kTableRecord;
  r.compressedI32();  // size of the record's text in the topic, unused here
  if (newStyle) result.textLength = r.compressedU16();

  if (link.recordType != kTableRecord) {
    if (link.recordType == kOldTextRecord) r.skip(2);
    paragraphInfo(r, s, "  text");
    textAndCommands(r, s);
  } else {
    s.inTable = true;
    const unsigned columns = r.u8();
    const unsigned type = r.u8();
    std::string head = "  table: " + std::to_string(columns) + " columns, type " + std::to_string(type);
    if (type == 0 || type == 2) head += ", min width " + std::to_string(r.i16());
    head += ", gap/width";
    for (unsigned c = 0; c < columns; ++c) {
      const std::int16_t gap = r.i16();
      head += " " + std::to_string(gap) + "/" + std::to_string(r.i16());
    }
    s.lines.push_back(head);
    while (!r.atEnd()) {
      const std::int16_t column = r.i16();
      if (column == -1) break;
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
  r.skip(4);  // two unknown bytes and a paragraph id
  const std::uint16_t bits = r.u16();
  std::string line = prefix + ":";
  if (bits & 0x0001) r.compressedI32();
  static const struct { std::uint16_t bit; const char* name; } spacings[] = {
      {0x0002, "sb"}, {0x0004, "sa"}, {0x0008, "sl"}, {0x0010, "li"}, {0x0020, "ri"}, {0x0040, "fi"}};
  for (const auto& sp : spacings) {
    if (bits & sp.bit) line += std::string(" ") + sp.name + "=" + std::to_string(r.compressedI16());
  }
  if (bits & 0x0100) {
    const unsigned border = r.u8();
    line += " border=" + std::to_string(border) + "/" + std::to_string(r.i16());
  }
  if (bits & 0x0200) {
    const std::int16_t count = r.compressedI16();
    line += " tabs=";
    for (std::int16_t i = 0; i < count; ++i) {
      const std::uint16_t stop = r.compressedU16();
      const std::uint16_t kind = (stop & 0x4000) ? r.compressedU16() : 0;
      line += (i ? "," : "") + std::to_string(stop & 0x3FFF) + (kind == 1 ? "r" : kind == 2 ? "c" : "");
    }
  }
  if (bits & 0x0400) line += " right";
  if (bits & 0x0800) line += " center";
  if (bits & 0x1000) line += " keep";
  if (bits & 0xE080) line += " other-bits=" + hex32(bits & 0xE080u);
  s.lines.push_back(line);
}

void RecordRenderer::textAndCommands(ByteReader& r, State& s) const {
  while (true) {
    s.current += escapeText(s.nextString());
    if (r.atEnd()) throw FormatError("|TOPIC: formatting ends without its end mark");
    const std::uint8_t code = r.u8();
    if (code == kEndOfCommands) return;
    command(code, r, s);
  }
}

void RecordRenderer::command(std::uint8_t code, ByteReader& r, State& s) const {
  switch (code) {
    case 0x20: s.current += "<vfld " + std::to_string(r.i32()) + ">"; return;
    case 0x21: s.current += "<dtype " + std::to_string(r.i16()) + ">"; return;
    case 0x80: s.current += "<font " + std::to_string(r.u16()) + ">"; return;
    case 0x81: s.current += "<br>"; return;
    case 0x82: s.endLine(); return;
    case 0x83: s.current += "<tab>"; return;
    case 0x86: case 0x87: case 0x88: picture(code, r, s); return;
    case 0x89: s.current += "</hot>"; return;
    case 0x8B: s.current += "<nbsp>"; return;
    case 0x8C: s.current += "<nbhyphen>"; return;
    case 0xC8: case 0xCC: {
      const std::uint16_t len = r.u16();
      auto bytes = r.bytes(len);
      const char* p = reinterpret_cast<const char*>(bytes.data());
      s.current += std::string(code == 0xCC ? "<macro-invisible \"" : "<macro \"") +
                   escapeText(std::string(p, strnlen(p, len))) + "\">";
      return;
    }
    case 0xE0: case 0xE1:
      s.current += "<" + hotspotKind(code) + " @" + hex32(r.u32()) + ">";
      return;
    case 0xE2: case 0xE3: case 0xE6: case 0xE7:
      s.current += "<" + hotspotKind(code) + " " + target(r.i32()) + ">";
      return;
    case 0xEA: case 0xEB: case 0xEE: case 0xEF: externalJump(code, r, s); return;
    default:
      throw FormatError("|TOPIC: unknown formatting command " + hex32(code) + " at offset " +
                        std::to_string(r.position() - 1));
  }
}

void RecordRenderer::picture(std::uint8_t code, ByteReader& r, State& s) const {
  static const char* placement[] = {"bmc", "bml", "bmr"};
  const std::string where = placement[code - 0x86];
  const std::uint8_t type = r.u8();
  const std::int32_t size = r.compressedI32();
  if (type == 0x22) r.compressedU16();  // hotspot count
  if (size < 0) throw FormatError("|TOPIC: picture with negative size");
  ByteReader data(r.bytes(static_cast<std::size_t>(size)), "|TOPIC picture");
  if (type == 3 || type == 0x22) {
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
  if (type == 5) {
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
  if (type == 1) marker += " window " + std::to_string(d.u8());
  // Type 6 names the window first, then the file.
  if (type == 6) marker += " window \"" + escapeText(d.cString()) + "\"";
  if (type == 4 || type == 6) marker += " file \"" + escapeText(d.cString()) + "\"";
  s.current += marker + ">";
}

}  // namespace hcrtf::dump
