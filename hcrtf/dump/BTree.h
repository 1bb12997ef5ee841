#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "hcrtf/common/ByteReader.h"

namespace hcrtf::dump {

// The B+ tree that the directory and many internal files are built on. The
// reader finds the first leaf by following each index page's first child
// down from the root, then walks the list of leaves. Entry layouts differ per
// file, so the caller parses each entry from the reader it is handed.
class BTree {
 public:
  struct Header {
    std::uint16_t magic = 0;
    std::uint16_t flags = 0;
    std::uint16_t pageSize = 0;
    std::string structure;
    std::int16_t pageSplits = 0;
    std::int16_t rootPage = 0;
    std::int16_t totalPages = 0;
    std::int16_t levels = 0;
    std::int32_t totalEntries = 0;
  };

  // Validates the header; throws FormatError (naming `what`) when it is not
  // a B+ tree or its pages do not fit in `content`.
  BTree(std::span<const std::uint8_t> content, std::string what);

  const Header& header() const { return header_; }

  // Calls parseEntry once per leaf entry, in key order, with a reader
  // positioned at the entry and limited to its page. parseEntry must consume
  // exactly one entry. Throws FormatError on a broken page chain (a page
  // number out of range, a cycle) or an entry running off its page.
  void forEachEntry(const std::function<void(ByteReader&)>& parseEntry) const;

 private:
  std::span<const std::uint8_t> page(int number) const;
  int firstLeaf() const;

  std::span<const std::uint8_t> content_;
  std::string what_;
  Header header_;
};

}  // namespace hcrtf::dump
