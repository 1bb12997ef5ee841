#pragma once
// Writers of small GIF, JPEG and PNG files for the picture tests, over the
// same libraries the decoders use (giflib, libjpeg, libpng), plus the raw
// pieces hostile files are built from.

#include <cstdint>
#include <string>
#include <vector>

namespace picture_encoders {

struct Colour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
};

struct GifPicture {
  int screenWidth = 0;
  int screenHeight = 0;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  std::vector<Colour> palette;         // a power of two entries, 2 to 256
  std::vector<std::uint8_t> indices;   // width * height, rows top-down
  int transparent = -1;
  bool interlaced = false;
  int backgroundIndex = 0;
};
void writeGif(const std::string& path, const GifPicture& picture);

enum class JpegKind { Grey, Rgb, Cmyk };
// `samples`: rows top-down, 1, 3 or 4 bytes a pixel by kind (CMYK as Adobe
// stores it: 255 minus the ink).
void writeJpeg(const std::string& path, int width, int height, JpegKind kind, const std::vector<std::uint8_t>& samples,
               bool progressive, int quality = 95);

struct PngPicture {
  int width = 0;
  int height = 0;
  int colourType = 2;  // PNG_COLOR_TYPE_*
  int bitDepth = 8;
  std::vector<std::uint8_t> rows;  // packed rows as PNG stores them, top-down
  std::vector<Colour> palette;
  std::vector<std::uint8_t> paletteAlpha;  // tRNS of a palette picture
  int transparentGrey = -1;                // tRNS of a grey picture
  bool interlaced = false;
};
void writePng(const std::string& path, const PngPicture& picture);

// One PNG chunk (length, type, data, CRC).
std::vector<std::uint8_t> pngChunk(const std::string& type, const std::vector<std::uint8_t>& data);
// Big-endian 32 bits.
void putBig32(std::vector<std::uint8_t>& out, std::uint32_t value);

std::vector<std::uint8_t> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace picture_encoders
