#pragma once
// Decodes a PNG (palette, grey, RGB, with or without alpha or a tRNS colour,
// 1 to 16 bits, interlaced or not) into a 24-bit picture, blending any
// transparency over the background colour. Sizes are checked from the
// header; chunks are capped in number and size, so compressed text and
// profile bombs cannot take memory.

#include <cstdint>
#include <string>

#include "imagelibs/Picture.h"

namespace imagelibs {

class PngDecoder {
 public:
  // Ancillary chunks kept in memory at most, and the largest block libpng
  // may allocate (a chunk, a row, its inflater).
  static constexpr unsigned kMaxChunks = 1000;
  static constexpr unsigned long kMaxChunkBytes = 8UL << 20;

  // A result of ImageResult.h; `picture` is filled only on kOk.
  static int decode(const std::string& path, std::uint32_t background, Picture& picture);
};

}  // namespace imagelibs
