#include "hcrtf/compiler/BTreeBuilder.h"

#include <stdexcept>

#include "hcrtf/common/ByteWriter.h"
#include "hcrtf/common/HelpFormat.h"

namespace hcrtf::compiler {

namespace {

struct Page {
  std::vector<std::uint8_t> bytes;
  std::vector<std::uint8_t> firstKey;
};

void putU16(std::vector<std::uint8_t>& bytes, std::size_t at, unsigned value) {
  bytes.at(at) = static_cast<std::uint8_t>(value & 0xFF);
  bytes.at(at + 1) = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

std::vector<std::uint8_t> BTreeBuilder::build(const std::vector<BTreeEntry>& entries, std::vector<std::uint8_t>* leafMap) const {
  std::vector<Page> pages;
  ByteWriter map;
  std::size_t next = 0;
  std::size_t leafCount = 0;
  do {
    Page page;
    page.bytes.assign(kBTreeLeafHeaderSize, 0);
    std::size_t count = 0;
    const std::size_t firstEntry = next;
    while (next < entries.size() && page.bytes.size() + entries[next].leaf.size() <= pageSize_) {
      if (count == 0) page.firstKey = entries[next].key;
      page.bytes.insert(page.bytes.end(), entries[next].leaf.begin(), entries[next].leaf.end());
      ++count;
      ++next;
    }
    if (count == 0 && next < entries.size()) throw std::length_error("B+ tree entry larger than a page");
    const std::size_t index = pages.size();
    putU16(page.bytes, 0, static_cast<unsigned>(pageSize_ - page.bytes.size()));
    putU16(page.bytes, 2, static_cast<unsigned>(count));
    putU16(page.bytes, 4, index == 0 ? kBTreeNoPage : static_cast<unsigned>(index - 1));
    putU16(page.bytes, 6, next < entries.size() ? static_cast<unsigned>(index + 1) : kBTreeNoPage);
    page.bytes.resize(pageSize_, 0);
    map.u32(static_cast<std::uint32_t>(firstEntry));
    map.u16(static_cast<unsigned>(index));
    pages.push_back(std::move(page));
    ++leafCount;
    if (pages.size() > kBTreeMaxPages) throw std::length_error("B+ tree needs too many pages");
  } while (next < entries.size());

  std::size_t levelStart = 0;
  std::size_t levelEnd = pages.size();
  int levels = 1;
  while (levelEnd - levelStart > 1) {
    ++levels;
    std::size_t child = levelStart;
    while (child < levelEnd) {
      Page page;
      page.bytes.assign(kBTreeIndexHeaderSize, 0);
      page.firstKey = pages[child].firstKey;
      putU16(page.bytes, 4, static_cast<unsigned>(child));
      ++child;
      std::size_t count = 0;
      while (child < levelEnd && page.bytes.size() + pages[child].firstKey.size() + 2 <= pageSize_) {
        page.bytes.insert(page.bytes.end(), pages[child].firstKey.begin(), pages[child].firstKey.end());
        page.bytes.push_back(static_cast<std::uint8_t>(child & 0xFF));
        page.bytes.push_back(static_cast<std::uint8_t>((child >> 8) & 0xFF));
        ++count;
        ++child;
      }
      putU16(page.bytes, 0, static_cast<unsigned>(pageSize_ - page.bytes.size()));
      putU16(page.bytes, 2, static_cast<unsigned>(count));
      page.bytes.resize(pageSize_, 0);
      pages.push_back(std::move(page));
      if (pages.size() > kBTreeMaxPages) throw std::length_error("B+ tree needs too many pages");
    }
    levelStart = levelEnd;
    levelEnd = pages.size();
  }

  ByteWriter out;
  out.u16(kBTreeMagic);
  out.u16(flags_);
  out.u16(pageSize_);
  out.fixedString(structure_, kBTreeLayoutSize);
  out.u16(0);
  out.u16(static_cast<unsigned>(pages.size() - static_cast<std::size_t>(levels)));  // page splits
  out.u16(static_cast<unsigned>(pages.size() - 1));                    // root page
  out.u16(kBTreeNoPage);
  out.u16(static_cast<unsigned>(pages.size()));
  out.u16(static_cast<unsigned>(levels));
  out.u32(static_cast<std::uint32_t>(entries.size()));
  std::vector<std::uint8_t> header = out.take();
  for (const Page& page : pages) header.insert(header.end(), page.bytes.begin(), page.bytes.end());
  if (leafMap) {
    ByteWriter withCount;
    withCount.u16(static_cast<unsigned>(leafCount));
    withCount.bytes(map.data());
    *leafMap = withCount.take();
  }
  return header;
}

}  // namespace hcrtf::compiler
