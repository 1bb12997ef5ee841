#pragma once

// Builders for small help files and pictures, so tests can hand the reader
// exactly the bytes a case needs.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "hcrtf/common/ByteWriter.h"

namespace hcrtf::testing {

using Bytes = std::vector<std::uint8_t>;

// A help file whose directory is one leaf page listing `files` (name ->
// content) in name order.
inline Bytes buildHelpFile(const std::map<std::string, Bytes>& files) {
  ByteWriter page;
  page.u16(0);  // unused bytes, not checked by readers
  page.i16(static_cast<std::int16_t>(files.size()));
  page.i16(-1);
  page.i16(-1);
  std::vector<std::size_t> offsetSlots;
  for (const auto& [name, content] : files) {
    page.cString(name);
    offsetSlots.push_back(page.size());
    page.u32(0);
  }
  const std::uint16_t pageSize = static_cast<std::uint16_t>(page.size() < 1024 ? 1024 : page.size());
  page.zeros(pageSize - page.size());

  ByteWriter out;
  out.u32(0x00035F3F);
  out.u32(16);  // directory right after the header
  out.i32(-1);
  out.u32(0);   // size, patched below
  const std::size_t dirStart = out.size();
  const std::uint32_t dirUsed = 38 + pageSize;
  out.u32(dirUsed + 9);
  out.u32(dirUsed);
  out.u8(4);
  out.u16(0x293B);
  out.u16(0x0402);
  out.u16(pageSize);
  out.fixedString("z4", 16);
  out.i16(0);
  out.i16(0);
  out.i16(0);   // root page
  out.i16(-1);
  out.i16(1);   // pages
  out.i16(1);   // levels
  out.i32(static_cast<std::int32_t>(files.size()));
  const std::size_t pageStart = out.size();
  out.bytes(page.data());
  std::size_t i = 0;
  for (const auto& [name, content] : files) {
    out.patchU32(pageStart + offsetSlots[i++], static_cast<std::uint32_t>(out.size()));
    out.u32(static_cast<std::uint32_t>(content.size() + 9));
    out.u32(static_cast<std::uint32_t>(content.size()));
    out.u8(0);
    out.bytes(content);
  }
  (void)dirStart;
  out.patchU32(12, static_cast<std::uint32_t>(out.size()));
  return out.take();
}

// A B+ tree of one leaf page holding `count` entries laid out in `entries`.
inline Bytes buildLeafTree(const Bytes& entries, std::int16_t count) {
  const std::uint16_t pageSize = static_cast<std::uint16_t>(8 + entries.size());
  ByteWriter w;
  w.u16(0x293B);
  w.u16(0x0002);
  w.u16(pageSize);
  w.fixedString("z24", 16);
  w.i16(0);
  w.i16(0);
  w.i16(0);
  w.i16(-1);
  w.i16(1);
  w.i16(1);
  w.i32(count);
  w.u16(0);
  w.i16(count);
  w.i16(-1);
  w.i16(-1);
  w.bytes(entries);
  return w.take();
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
