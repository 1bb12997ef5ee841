#pragma once
// Draws an SVG (or gzip-compressed SVGZ) picture into a 24-bit picture at its
// own size: its width and height, else its viewBox, else 64 x 64, scaled
// down to fit a given side, flattened onto the background colour. The
// drawing has no base address, so the renderer loads nothing outside the
// file (no other files, no network); data: addresses inside it still work.

#include <cstdint>
#include <string>

#include "imagelibs/Picture.h"

namespace imagelibs {

class SvgRenderer {
 public:
  // Files over this size are refused unread.
  static constexpr long kMaxFileBytes = 16L << 20;
  // The side of a picture that gives no size at all.
  static constexpr int kDefaultSide = 64;
  // The most `maxSide` may ask for.
  static constexpr int kLargestSide = 4096;

  // A result of ImageResult.h; `picture` is filled only on kOk.
  static int render(const std::string& path, std::uint32_t background, int maxSide, Picture& picture);
};

}  // namespace imagelibs
