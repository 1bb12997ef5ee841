#include "hcrtf/dump/SystemInfo.h"

#include "hcrtf/common/ByteReader.h"
#include "hcrtf/common/FormatError.h"

namespace hcrtf::dump {
namespace {

constexpr std::uint16_t kSystemMagic = 0x036C;
constexpr std::size_t kWindowRecordSize = 90;

enum RecordType : std::uint16_t {
  kTitle = 1, kCopyright = 2, kContents = 3, kConfig = 4, kWindow = 6,
  kCitation = 8, kLcid = 9, kCnt = 10, kCharset = 11, kDefFont = 12,
  kIndexSeparators = 14,
};

// Strings inside a record end at their NUL or at the record's end, whichever
// comes first: some compilers leave the NUL out.
std::string recordString(std::span<const std::uint8_t> data) {
  std::size_t len = 0;
  while (len < data.size() && data[len] != 0) ++len;
  return std::string(reinterpret_cast<const char*>(data.data()), len);
}

WindowRecord parseWindow(std::span<const std::uint8_t> data) {
  ByteReader r(data, "|SYSTEM window record");
  WindowRecord w;
  w.flags = r.u16();
  w.type = r.fixedString(10);
  w.name = r.fixedString(9);
  w.caption = r.fixedString(51);
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
    case kTitle: info.title = recordString(data); return;
    case kCopyright: info.copyright = recordString(data); return;
    case kContents: info.contents = r.u32(); return;
    case kConfig: info.macros.push_back(recordString(data)); return;
    case kWindow:
      if (data.size() == kWindowRecordSize) {
        info.windows.push_back(parseWindow(data));
        return;
      }
      break;  // another layout: list it raw
    case kCitation: info.citation = recordString(data); return;
    case kLcid:
      while (r.remaining() >= 2) info.lcid.push_back(r.u16());
      return;
    case kCnt: info.contentsFile = recordString(data); return;
    case kCharset: info.charset = r.u16(); return;
    case kDefFont:
      info.defaultFontSize = r.u8();
      info.defaultFontCharset = r.u8();
      info.defaultFontName = recordString(data.subspan(2));
      return;
    case kIndexSeparators: info.indexSeparators = recordString(data); return;
    default: break;
  }
  info.others.push_back({type, std::vector<std::uint8_t>(data.begin(), data.end())});
}

}  // namespace

bool SystemInfo::topicsCompressed() const {
  return minor > 16 && (flags == 4 || flags == 8);
}

std::uint32_t SystemInfo::topicBlockSize() const {
  if (minor <= 16 || flags == 8) return 0x800;
  return 0x1000;
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
  if (info.minor <= 16) {
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
