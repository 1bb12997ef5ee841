#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace hcrtf::compiler {

// One entry of a B+ tree: its bytes in a leaf page, and the key bytes that
// stand for it in an index page.
struct BTreeEntry {
  std::vector<std::uint8_t> leaf;
  std::vector<std::uint8_t> key;
};

// Builds the B+ trees that help files use for their directory, |CONTEXT,
// |TTLBTREE and |KWBTREE. Entries must arrive sorted the way the viewer
// compares keys; leaves are filled in that order and index levels are added
// until one root page remains.
class BTreeBuilder {
 public:
  BTreeBuilder(std::uint16_t flags, std::uint16_t pageSize, std::string_view structure)
      : flags_(flags), pageSize_(pageSize), structure_(structure) {}

  // The tree, starting with its header. When `leafMap` is given it receives
  // the keyword map of the leaves (count, then first entry number and page
  // number per leaf), as |KWMAP stores it. Throws std::length_error when an
  // entry does not fit a page or the tree needs more pages than a short
  // can number.
  std::vector<std::uint8_t> build(const std::vector<BTreeEntry>& entries, std::vector<std::uint8_t>* leafMap = nullptr) const;

 private:
  std::uint16_t flags_;
  std::uint16_t pageSize_;
  std::string_view structure_;
};

}  // namespace hcrtf::compiler
