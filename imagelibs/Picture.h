#pragma once
// A decoded picture on its way to a bitmap file: rows top-down, unpadded;
// 8 bits per pixel index `palette` (red, green, blue triples), 24 bits hold
// red, green, blue per pixel.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace imagelibs {

struct Picture {
  std::int32_t width = 0;
  std::int32_t height = 0;
  int bitCount = 24;                  // 8 or 24
  std::vector<std::uint8_t> palette;  // 3 bytes a colour, at most 256 colours
  std::vector<std::uint8_t> pixels;

  std::size_t rowBytes() const { return static_cast<std::size_t>(width) * (bitCount / 8); }
};

// A Windows colour value 0x00BBGGRR taken apart.
struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  static Rgb fromColorRef(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>((value >> 8) & 0xFF),
            static_cast<std::uint8_t>((value >> 16) & 0xFF)};
  }
};

}  // namespace imagelibs
