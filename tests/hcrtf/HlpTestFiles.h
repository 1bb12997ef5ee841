#pragma once

// Builders for small help files and pictures, so tests can hand the reader
// exactly the bytes a case needs. The container and its trees are written by
// the compiler's own writers, so reading them back checks both sides.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "hcrtf/common/ByteWriter.h"
#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/compiler/BTreeBuilder.h"
#include "hcrtf/compiler/HelpFileWriter.h"

namespace hcrtf::testing {

using Bytes = std::vector<std::uint8_t>;

// A help file holding `files` (name -> content), as the compiler writes it.
inline Bytes buildHelpFile(const std::map<std::string, Bytes>& files) {
  compiler::HelpFileWriter writer;
  for (const auto& [name, content] : files) writer.add(name, content);
  return writer.assemble();
}

// A B+ tree of `entries`, in key order, as the compiler builds one.
inline Bytes buildTree(const std::vector<compiler::BTreeEntry>& entries, std::string_view layout,
                       std::uint16_t pageSize = kIndexPageSize) {
  return compiler::BTreeBuilder(kIndexTreeFlags, pageSize, layout).build(entries);
}

// A |SYSTEM file of version 1.21 with a title record; `flags` 0 means plain
// 4 KiB topic blocks, 4 LZ77-packed ones.
inline Bytes buildSystem(const std::string& title, std::uint16_t flags = 0) {
  ByteWriter w;
  w.u16(0x036C);
  w.u16(21);
  w.u16(1);
  w.u32(0);
  w.u16(flags);
  w.u16(1);
  w.u16(static_cast<std::uint16_t>(title.size() + 1));
  w.cString(title);
  return w.take();
}

// One bitmap image of a picture file.
struct TestBitmap {
  std::uint8_t type = 6;
  std::uint8_t packing = 0;
  std::uint16_t bitCount = 8;
  std::uint32_t width = 0, height = 0;
  std::vector<std::uint32_t> palette;  // stored as B, G, R, 0
  Bytes packedBits;
};

// An SHG-style picture file holding `bitmap` as its only image.
inline Bytes buildPicture(const TestBitmap& bitmap) {
  ByteWriter head;
  head.u8(bitmap.type);
  head.u8(bitmap.packing);
  head.compressedU32(96);
  head.compressedU32(96);
  head.compressedU16(1);
  head.compressedU16(bitmap.bitCount);
  head.compressedU32(bitmap.width);
  head.compressedU32(bitmap.height);
  head.compressedU32(static_cast<std::uint32_t>(bitmap.palette.size()));
  head.compressedU32(0);
  head.compressedU32(static_cast<std::uint32_t>(bitmap.packedBits.size()));
  head.compressedU32(0);  // no hotspots
  const std::size_t dataOffsetSlot = head.size();
  head.u32(0);
  head.u32(0);
  for (std::uint32_t rgb : bitmap.palette) {
    head.u8(rgb & 0xFF);
    head.u8((rgb >> 8) & 0xFF);
    head.u8((rgb >> 16) & 0xFF);
    head.u8(0);
  }
  head.patchU32(dataOffsetSlot, static_cast<std::uint32_t>(head.size()));
  head.bytes(bitmap.packedBits);

  ByteWriter file;
  file.u16(0x506C);
  file.u16(1);
  file.u32(8);
  file.bytes(head.data());
  return file.take();
}

}  // namespace hcrtf::testing
