#pragma once

// Builders of small Windows bitmap files for the picture tests.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "hcrtf/compiler/BmpFile.h"

namespace hcrtf::testing {

using Bytes = std::vector<std::uint8_t>;

inline void putLe(Bytes& b, std::uint32_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A BITMAPFILEHEADER + BITMAPINFOHEADER file. `pixelData` is written as
// given (rows or RLE codes); `height` negative means top-down.
inline Bytes bmpFile(std::int32_t width, std::int32_t height, int bitCount, std::uint32_t compression,
                     const std::vector<compiler::PaletteEntry>& palette, const Bytes& pixelData) {
  Bytes b;
  const std::uint32_t offset = 14 + 40 + 4 * static_cast<std::uint32_t>(palette.size());
  b.push_back('B');
  b.push_back('M');
  putLe(b, offset + static_cast<std::uint32_t>(pixelData.size()), 4);
  putLe(b, 0, 4);
  putLe(b, offset, 4);
  putLe(b, 40, 4);
  putLe(b, static_cast<std::uint32_t>(width), 4);
  putLe(b, static_cast<std::uint32_t>(height), 4);
  putLe(b, 1, 2);
  putLe(b, static_cast<std::uint32_t>(bitCount), 2);
  putLe(b, compression, 4);
  putLe(b, static_cast<std::uint32_t>(pixelData.size()), 4);
  putLe(b, 2835, 4);
  putLe(b, 2835, 4);
  putLe(b, static_cast<std::uint32_t>(palette.size()), 4);
  putLe(b, 0, 4);
  for (const compiler::PaletteEntry& c : palette) {
    b.push_back(c.blue);
    b.push_back(c.green);
    b.push_back(c.red);
    b.push_back(0);
  }
  b.insert(b.end(), pixelData.begin(), pixelData.end());
  return b;
}

// Uncompressed bottom-up rows from value(x, y) (y counted from the top):
// palette indices for 1, 4 and 8 bits, 0xRRGGBB for 24 and 32 bits.
inline Bytes rows(std::int32_t width, std::int32_t height, int bitCount,
                  const std::function<std::uint32_t(int, int)>& value) {
  const std::size_t stride = (static_cast<std::size_t>(width) * bitCount + 31) / 32 * 4;
  Bytes out(stride * static_cast<std::size_t>(height), 0);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = out.data() + static_cast<std::size_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t v = value(x, y);
      if (bitCount >= 24) {
        std::uint8_t* p = row + static_cast<std::size_t>(x) * (bitCount / 8);
        p[0] = static_cast<std::uint8_t>(v);
        p[1] = static_cast<std::uint8_t>(v >> 8);
        p[2] = static_cast<std::uint8_t>(v >> 16);
        if (bitCount == 32) p[3] = 0xFF;
        continue;
      }
      const std::size_t bit = static_cast<std::size_t>(x) * bitCount;
      row[bit / 8] |= static_cast<std::uint8_t>(v << (8 - bitCount - bit % 8));
    }
  }
  return out;
}

inline std::vector<compiler::PaletteEntry> greyPalette(int count) {
  std::vector<compiler::PaletteEntry> p;
  for (int i = 0; i < count; ++i) {
    const auto v = static_cast<std::uint8_t>(count == 1 ? 0 : i * 255 / (count - 1));
    p.push_back({v, v, v});
  }
  return p;
}

inline void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace hcrtf::testing
