#pragma once
// The largest picture the libraries produce: what the help compiler takes
// (a side fits 15 bits, the pixel rows of a bitmap fit 64 MiB). Checked from
// a picture's header, before any pixel buffer exists, in 64 bits so that no
// declared size can overflow the test.

#include <cstdint>

namespace imagelibs {

struct ImageLimits {
  static constexpr std::int64_t kMaxSide = 32767;
  static constexpr std::int64_t kMaxPixelBytes = std::int64_t{64} << 20;

  // Bytes of a bitmap's padded rows at `bitCount` bits a pixel.
  static std::int64_t bitmapBytes(std::int64_t width, std::int64_t height, int bitCount) {
    return (width * bitCount + 31) / 32 * 4 * height;
  }
  // Whether a width and height (both above zero) may become a bitmap.
  static bool fits(std::int64_t width, std::int64_t height, int bitCount) {
    return width <= kMaxSide && height <= kMaxSide && bitmapBytes(width, height, bitCount) <= kMaxPixelBytes;
  }
};

}  // namespace imagelibs
