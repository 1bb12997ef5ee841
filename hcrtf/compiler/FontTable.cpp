#include "hcrtf/compiler/FontTable.h"

#include "hcrtf/common/ByteWriter.h"
#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/compiler/FlagBits.h"

namespace hcrtf::compiler {

namespace {
std::string keyOf(const FontSpec& s) {
  std::string key = s.face;
  key += '\0';
  key += std::to_string(s.family) + ',' + std::to_string(s.halfPoints) + ',' + std::to_string(s.rgb) + ',';
  key += s.bold ? 'b' : '-';
  key += s.italic ? 'i' : '-';
  key += s.underline ? 'u' : '-';
  key += s.strikeout ? 's' : '-';
  key += s.doubleUnderline ? 'd' : '-';
  key += s.smallCaps ? 'c' : '-';
  return key;
}
}  // namespace

std::uint16_t FontTable::intern(const FontSpec& style) {
  const std::string key = keyOf(style);
  if (auto found = specIndex_.find(key); found != specIndex_.end()) return found->second;
  if (specs_.size() >= 0xFFFF) return 0;
  const auto index = static_cast<std::uint16_t>(specs_.size());
  specs_.push_back(style);
  specIndex_.emplace(key, index);
  if (!faceIndex_.count(style.face)) {
    faceIndex_.emplace(style.face, static_cast<std::uint16_t>(faces_.size()));
    faces_.push_back(style.face);
  }
  return index;
}

std::vector<std::uint8_t> FontTable::serialize() const {
  ByteWriter out;
  out.u16(static_cast<unsigned>(faces_.size()));
  out.u16(static_cast<unsigned>(specs_.size()));
  out.u16(kFontHeaderSize);
  out.u16(static_cast<unsigned>(kFontHeaderSize + kFontFaceSize * faces_.size()));
  for (const auto& face : faces_) out.fixedString(face, kFontFaceSize);
  for (const auto& s : specs_) {
    out.u8(static_cast<std::uint8_t>(flagBits({{s.bold, kFontBold},
                                                {s.italic, kFontItalic},
                                                {s.underline, kFontUnderline},
                                                {s.strikeout, kFontStrikeout},
                                                {s.doubleUnderline, kFontDoubleUnderline},
                                                {s.smallCaps, kFontSmallCaps}})));
    out.u8(static_cast<unsigned>(s.halfPoints));
    out.u8(static_cast<unsigned>(s.family));
    out.u16(faceIndex_.at(s.face));
    out.u8(s.rgb & 0xFF);
    out.u8((s.rgb >> 8) & 0xFF);
    out.u8((s.rgb >> 16) & 0xFF);
    out.zeros(3);
  }
  return out.take();
}

}  // namespace hcrtf::compiler
