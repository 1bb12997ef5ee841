#include "hcrtf/compiler/IndexFiles.h"

#include <algorithm>

#include "hcrtf/compiler/BTreeBuilder.h"
#include "hcrtf/common/ByteWriter.h"
#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/compiler/FlagBits.h"
#include "hcrtf/compiler/TextUtil.h"

namespace hcrtf::compiler {

namespace {
std::vector<std::uint8_t> u32Bytes(std::uint32_t value) {
  ByteWriter out;
  out.u32(value);
  return out.take();
}
}  // namespace

std::vector<std::uint8_t> buildContextFile(std::vector<ContextEntry> entries) {
  std::sort(entries.begin(), entries.end(), [](const ContextEntry& a, const ContextEntry& b) { return a.hash < b.hash; });
  std::vector<BTreeEntry> tree;
  tree.reserve(entries.size());
  for (const auto& e : entries) {
    ByteWriter leaf;
    leaf.u32(static_cast<std::uint32_t>(e.hash));
    leaf.u32(e.offset);
    tree.push_back(BTreeEntry{leaf.take(), u32Bytes(static_cast<std::uint32_t>(e.hash))});
  }
  return BTreeBuilder(kIndexTreeFlags, kIndexPageSize, kContextLayout).build(tree);
}

std::vector<std::uint8_t> buildTitleFile(std::vector<TitleEntry> entries) {
  std::stable_sort(entries.begin(), entries.end(), [](const TitleEntry& a, const TitleEntry& b) { return a.offset < b.offset; });
  std::vector<BTreeEntry> tree;
  tree.reserve(entries.size());
  for (const auto& e : entries) {
    ByteWriter leaf;
    leaf.u32(e.offset);
    leaf.cString(e.title.substr(0, 1000));
    tree.push_back(BTreeEntry{leaf.take(), u32Bytes(e.offset)});
  }
  return BTreeBuilder(kIndexTreeFlags, kIndexPageSize, kTitleLayout).build(tree);
}

KeywordFiles buildKeywordFiles(std::vector<KeywordEntry> entries) {
  for (auto& e : entries) {
    if (e.keyword.size() > 255) e.keyword.resize(255);
  }
  std::vector<std::string> keys;
  keys.reserve(entries.size());
  std::vector<std::size_t> order(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    order[i] = i;
    keys.push_back(toLower(entries[i].keyword));
  }
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (keys[a] != keys[b]) return keys[a] < keys[b];
    return entries[a].offset < entries[b].offset;
  });
  KeywordFiles files;
  ByteWriter data;
  std::vector<BTreeEntry> tree;
  for (std::size_t i = 0; i < order.size();) {
    const std::string& key = keys[order[i]];
    const std::string& spelling = entries[order[i]].keyword;
    const auto dataOffset = static_cast<std::uint32_t>(data.size());
    unsigned count = 0;
    std::uint32_t previous = kNoTopic;
    for (; i < order.size() && keys[order[i]] == key; ++i) {
      const std::uint32_t offset = entries[order[i]].offset;
      if (offset == previous || count >= 0xFFFF) continue;
      data.u32(offset);
      previous = offset;
      ++count;
    }
    ByteWriter leaf;
    leaf.cString(spelling);
    leaf.u16(count);
    leaf.u32(dataOffset);
    ByteWriter indexKey;
    indexKey.cString(spelling);
    tree.push_back(BTreeEntry{leaf.take(), indexKey.take()});
  }
  files.btree = BTreeBuilder(kIndexTreeFlags, kIndexPageSize, kKeywordLayout).build(tree, &files.map);
  files.data = data.take();
  return files;
}

std::vector<std::uint8_t> buildMapFile(const std::vector<std::pair<std::int32_t, std::uint32_t>>& entries) {
  ByteWriter out;
  const std::size_t count = std::min<std::size_t>(entries.size(), 0xFFFF);
  out.u16(static_cast<unsigned>(count));
  for (std::size_t i = 0; i < count; ++i) {
    out.u32(static_cast<std::uint32_t>(entries[i].first));
    out.u32(entries[i].second);
  }
  return out.take();
}

std::vector<std::uint8_t> windowRecord(const WindowDef& w) {
  const unsigned flags = flagBits({{true, kWindowHasType | kWindowHasName},
                                   {!w.caption.empty(), kWindowHasCaption},
                                   {w.x.has_value(), kWindowHasX},
                                   {w.y.has_value(), kWindowHasY},
                                   {w.width.has_value(), kWindowHasWidth},
                                   {w.height.has_value(), kWindowHasHeight},
                                   {w.maximize, kWindowHasMaximize},
                                   {w.scrollingRgb.has_value(), kWindowHasScrollingColour},
                                   {w.nonScrollingRgb.has_value(), kWindowHasNonScrollingColour}});
  ByteWriter out;
  out.u16(static_cast<std::uint16_t>(flags));
  out.fixedString(equalsIgnoreCase(w.name, "main") ? "main" : "secondary", kWindowTypeSize);
  out.fixedString(w.name, kWindowNameSize);
  out.fixedString(w.caption, kWindowCaptionSize);
  out.u16(static_cast<unsigned>(w.x.value_or(0)));
  out.u16(static_cast<unsigned>(w.y.value_or(0)));
  out.u16(static_cast<unsigned>(w.width.value_or(0)));
  out.u16(static_cast<unsigned>(w.height.value_or(0)));
  out.u16(w.maximize ? 1 : 0);
  out.u32(w.scrollingRgb.value_or(0xFFFFFF));
  out.u32(w.nonScrollingRgb.value_or(0xFFFFFF));
  return out.take();
}

}  // namespace hcrtf::compiler
