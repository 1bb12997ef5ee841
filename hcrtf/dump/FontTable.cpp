#include "hcrtf/dump/FontTable.h"

#include "hcrtf/common/ByteReader.h"
#include "hcrtf/common/FormatError.h"

namespace hcrtf::dump {
namespace {

// Help compilers put the face names right after the 8-byte header; anything
// else means the multimedia layouts with styles and character maps.
constexpr std::uint16_t kPlainHeaderSize = 8;

}  // namespace

FontTable FontTable::parse(std::span<const std::uint8_t> content) {
  ByteReader r(content, "|FONT");
  FontTable t;
  const std::uint16_t faceCount = r.u16();
  t.descriptorCount = r.u16();
  t.facenamesOffset = r.u16();
  const std::uint16_t descriptorsOffset = r.u16();

  if (faceCount > 0) {
    if (descriptorsOffset < t.facenamesOffset) {
      throw FormatError("|FONT: descriptors start before the face names");
    }
    const std::size_t nameSize = (descriptorsOffset - t.facenamesOffset) / faceCount;
    r.seek(t.facenamesOffset);
    for (std::uint16_t i = 0; i < faceCount; ++i) t.faceNames.push_back(r.fixedString(nameSize));
  }

  if (t.facenamesOffset != kPlainHeaderSize) return t;
  r.seek(descriptorsOffset);
  for (std::uint16_t i = 0; i < t.descriptorCount; ++i) {
    FontDescriptor d;
    d.attributes = r.u8();
    d.halfPoints = r.u8();
    d.family = r.u8();
    d.faceIndex = r.u16();
    for (auto& c : d.foreground) c = r.u8();
    for (auto& c : d.background) c = r.u8();
    t.descriptors.push_back(d);
  }
  t.descriptorsRead = true;
  return t;
}

}  // namespace hcrtf::dump
