#include "hcrtf/dump/IndexFiles.h"

#include "hcrtf/common/ByteReader.h"
#include "hcrtf/common/FormatError.h"
#include "hcrtf/dump/BTree.h"

namespace hcrtf::dump {

std::vector<ContextEntry> readContext(std::span<const std::uint8_t> content) {
  std::vector<ContextEntry> out;
  BTree(content, "|CONTEXT").forEachEntry([&](ByteReader& r) {
    ContextEntry e;
    e.hash = r.i32();
    e.offset = r.u32();
    out.push_back(e);
  });
  return out;
}

std::vector<TitleEntry> readTitles(std::span<const std::uint8_t> content) {
  std::vector<TitleEntry> out;
  BTree(content, "|TTLBTREE").forEachEntry([&](ByteReader& r) {
    TitleEntry e;
    e.offset = r.u32();
    e.title = r.cString();
    out.push_back(std::move(e));
  });
  return out;
}

std::vector<KeywordEntry> readKeywords(std::span<const std::uint8_t> btree,
                                       std::span<const std::uint8_t> data,
                                       const std::string& what) {
  std::vector<KeywordEntry> out;
  ByteReader offsets(data, what + " data");
  // Each offset in the data file belongs to one keyword; counting them keeps
  // overlapping references in a hostile file from multiplying the output.
  std::size_t unclaimed = data.size() / 4;
  BTree(btree, what).forEachEntry([&](ByteReader& r) {
    KeywordEntry e;
    e.keyword = r.cString();
    const std::int16_t count = r.i16();
    const std::uint32_t at = r.u32();
    if (count < 0) throw FormatError(what + ": negative count for keyword " + e.keyword);
    if (static_cast<std::size_t>(count) > unclaimed) {
      throw FormatError(what + ": keywords refer to more topics than the data file holds");
    }
    unclaimed -= static_cast<std::size_t>(count);
    offsets.seek(at);
    for (std::int16_t i = 0; i < count; ++i) e.offsets.push_back(offsets.u32());
    out.push_back(std::move(e));
  });
  return out;
}

std::vector<KeywordMapEntry> readKeywordMap(std::span<const std::uint8_t> content) {
  ByteReader r(content, "keyword map");
  std::vector<KeywordMapEntry> out;
  const std::uint16_t count = r.u16();
  for (std::uint16_t i = 0; i < count; ++i) {
    KeywordMapEntry e;
    e.firstKeyword = r.i32();
    e.page = r.u16();
    out.push_back(e);
  }
  return out;
}

std::vector<MapEntry> readContextMap(std::span<const std::uint8_t> content) {
  ByteReader r(content, "|CTXOMAP");
  std::vector<MapEntry> out;
  const std::uint16_t count = r.u16();
  for (std::uint16_t i = 0; i < count; ++i) {
    MapEntry e;
    e.mapId = r.i32();
    e.offset = r.u32();
    out.push_back(e);
  }
  return out;
}

}  // namespace hcrtf::dump
