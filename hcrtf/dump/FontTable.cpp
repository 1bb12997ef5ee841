#include "hcrtf/dump/FontTable.h"

#include "hcrtf/common/ByteReader.h"
#include "hcrtf/common/FormatError.h"
#include "hcrtf/common/HelpFormat.h"

namespace hcrtf::dump {

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

  // Face names anywhere but right after the header mean a multimedia layout.
  if (t.facenamesOffset != kFontHeaderSize) return t;
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
