#include "hcrtf/dump/BTree.h"

#include <vector>

#include "hcrtf/common/FormatError.h"
#include "hcrtf/common/HelpFormat.h"

namespace hcrtf::dump {

BTree::BTree(std::span<const std::uint8_t> content, std::string what)
    : content_(content), what_(std::move(what)) {
  ByteReader r(content_, what_ + " B+ tree header");
  header_.magic = r.u16();
  if (header_.magic != kBTreeMagic) {
    throw FormatError(what_ + ": not a B+ tree (magic " + std::to_string(header_.magic) + ")");
  }
  header_.flags = r.u16();
  header_.pageSize = r.u16();
  header_.structure = r.fixedString(kBTreeLayoutSize);
  r.skip(2);  // always zero
  header_.pageSplits = r.i16();
  header_.rootPage = r.i16();
  r.skip(2);  // always -1
  header_.totalPages = r.i16();
  header_.levels = r.i16();
  header_.totalEntries = r.i32();
  if (header_.pageSize < kBTreeLeafHeaderSize) {
    throw FormatError(what_ + ": page size " + std::to_string(header_.pageSize) + " is too small");
  }
  if (header_.totalPages < 0 || header_.levels < 0) {
    throw FormatError(what_ + ": negative page or level count");
  }
  const std::size_t need = kBTreeHeaderSize + static_cast<std::size_t>(header_.totalPages) * header_.pageSize;
  if (need > content_.size()) {
    throw FormatError(what_ + ": " + std::to_string(header_.totalPages) + " pages of " +
                      std::to_string(header_.pageSize) + " bytes do not fit in " +
                      std::to_string(content_.size()) + " bytes");
  }
}

std::span<const std::uint8_t> BTree::page(int number) const {
  if (number < 0 || number >= header_.totalPages) {
    throw FormatError(what_ + ": page number " + std::to_string(number) + " out of range (" +
                      std::to_string(header_.totalPages) + " pages)");
  }
  return content_.subspan(kBTreeHeaderSize + static_cast<std::size_t>(number) * header_.pageSize,
                          header_.pageSize);
}

int BTree::firstLeaf() const {
  int current = header_.rootPage;
  // The last field of an index page's header leads to the leftmost child.
  for (int level = 1; level < header_.levels; ++level) {
    ByteReader r(page(current), what_ + " index page");
    r.skip(4);
    current = r.i16();
  }
  return current;
}

void BTree::forEachEntry(const std::function<void(ByteReader&)>& parseEntry) const {
  if (header_.levels == 0 || header_.totalPages == 0) return;
  std::vector<bool> visited(static_cast<std::size_t>(header_.totalPages), false);
  int current = firstLeaf();
  while (current != -1) {
    auto bytes = page(current);
    if (visited[static_cast<std::size_t>(current)]) {
      throw FormatError(what_ + ": leaf page chain loops at page " + std::to_string(current));
    }
    visited[static_cast<std::size_t>(current)] = true;
    ByteReader r(bytes, what_ + " leaf page " + std::to_string(current));
    r.skip(2);
    const std::int16_t entries = r.i16();
    r.skip(2);  // previous leaf
    const std::int16_t next = r.i16();
    for (int i = 0; i < entries; ++i) parseEntry(r);
    current = next;
  }
}

}  // namespace hcrtf::dump
