#include "hcrtf/dump/SystemInfo.h"

#include "hcrtf/common/ByteReader.h"
#include "hcrtf/common/FormatError.h"
#include "hcrtf/common/HelpFormat.h"

namespace hcrtf::dump {
namespace {

// Strings inside a record end at their NUL or at the record's end, whichever
// comes first.
std::string recordString(std::span<const std::uint8_t> data) {
  std::size_t len = 0;
  while (len < data.size() && data[len] != 0) ++len;
  return std::string(reinterpret_cast<const char*>(data.data()), len);
}

WindowRecord parseWindow(std::span<const std::uint8_t> data) {
  ByteReader r(data, "|SYSTEM window record");
  WindowRecord w;
  w.flags = r.u16();
  w.type = r.fixedString(kWindowTypeSize);
  w.name = r.fixedString(kWindowNameSize);
  w.caption = r.fixedString(kWindowCaptionSize);
  w.x = r.i16();
  w.y = r.i16();
  w.width = r.i16();
  w.height = r.i16();
  w.maximize = r.u16();
  w.scrollColour = r.u32();
  w.nonScrollColour = r.u32();
  return w;
}

void applyRecord(SystemInfo& info, std::uint16_t type, std::span<const std::uint8_t> data) {
  ByteReader r(data, "|SYSTEM record " + std::to_string(type));
  switch (type) {
    case kSystemTitle: info.title = recordString(data); return;
    case kSystemCopyright: info.copyright = recordString(data); return;
    case kSystemContents: info.contents = r.u32(); return;
    case kSystemMacro: info.macros.push_back(recordString(data)); return;
    case kSystemWindow:
      if (data.size() == kWindowRecordSize) {
        info.windows.push_back(parseWindow(data));
        return;
      }
      break;  // another layout: list it raw
    case kSystemCitation: info.citation = recordString(data); return;
    case kSystemLcid:
      while (r.remaining() >= 2) info.lcid.push_back(r.u16());
      return;
    case kSystemContentsFile: info.contentsFile = recordString(data); return;
    case kSystemCharset: info.charset = r.u16(); return;
    case kSystemDefaultFont:
      info.defaultFontSize = r.u8();
      info.defaultFontCharset = r.u8();
      info.defaultFontName = recordString(data.subspan(2));
      return;
    case kSystemIndexSeparators: info.indexSeparators = recordString(data); return;
    default: break;
  }
  info.others.push_back({type, std::vector<std::uint8_t>(data.begin(), data.end())});
}

}  // namespace

bool SystemInfo::topicsCompressed() const {
  return minor > kSystemMinorWin30 && (flags == kSystemFlagsLz77 || flags == kSystemFlagsLz77SmallBlocks);
}

std::uint32_t SystemInfo::topicBlockSize() const {
  if (minor <= kSystemMinorWin30 || flags == kSystemFlagsLz77SmallBlocks) return kTopicSmallBlockSize;
  return kTopicBlockSize;
}

SystemInfo SystemInfo::parse(std::span<const std::uint8_t> content) {
  ByteReader r(content, "|SYSTEM");
  SystemInfo info;
  info.magic = r.u16();
  if (info.magic != kSystemMagic) throw FormatError("|SYSTEM: wrong magic number");
  info.minor = r.u16();
  info.major = r.u16();
  info.generated = r.u32();
  info.flags = r.u16();
  if (info.minor <= kSystemMinorWin30) {
    info.title = r.atEnd() ? std::string() : recordString(r.bytes(r.remaining()));
    return info;
  }
  while (r.remaining() >= 4) {
    const std::uint16_t type = r.u16();
    const std::uint16_t size = r.u16();
    applyRecord(info, type, r.bytes(size));
  }
  return info;
}

}  // namespace hcrtf::dump
