#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace hcrtf::compiler {

// One colour of a picture's palette.
struct PaletteEntry {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const PaletteEntry&) const = default;
};

// A device-independent bitmap as help files store it: uncompressed rows,
// bottom row first, each row padded to a multiple of four bytes.
struct DibImage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  int bitCount = 0;                   // 1, 4, 8 or 24
  std::vector<PaletteEntry> palette;  // empty for 24 bits
  std::vector<std::uint8_t> pixels;   // stride() * height bytes

  std::size_t stride() const { return (static_cast<std::size_t>(width) * bitCount + 31) / 32 * 4; }
  // The palette index (1, 4 and 8 bits) or 0xRRGGBB value (24 bits) of the
  // pixel in column x of row y, counted from the top.
  std::uint32_t pixel(std::int32_t x, std::int32_t y) const;
};

// A bitmap file that cannot be used; the message says what is wrong with it
// in words fit for a compiler warning.
class BmpError : public std::runtime_error {
 public:
  explicit BmpError(const std::string& what) : std::runtime_error(what) {}
};

// Reader of Windows .bmp files: 1, 4, 8 and 24 bits per pixel, uncompressed
// or run-length encoded (RLE8, RLE4); 32-bit pictures are reduced to 24 bits.
// Both the Windows (40 bytes and longer) and the OS/2 (12 bytes) info headers
// are understood, and top-down pictures are turned bottom-up.
class BmpFile {
 public:
  // Largest width or height accepted; help files store them in 15 bits.
  static constexpr std::int32_t kMaxSide = 32767;

  // Throws BmpError when the file cannot be read or is not a usable bitmap.
  static DibImage read(const std::filesystem::path& file);
  static DibImage parse(std::span<const std::uint8_t> bytes);
};

}  // namespace hcrtf::compiler
