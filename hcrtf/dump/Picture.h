#pragma once

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

namespace hcrtf::dump {

// A hotspot stored with a picture (the hypergraphics of SHG files).
struct PictureHotspot {
  std::uint8_t kind[3] = {0, 0, 0};  // 0xE3 0 0 a visible jump, 0xC8 a macro, ...
  std::uint16_t x = 0, y = 0, width = 0, height = 0;
  std::uint32_t hashOrIndex = 0;
  std::string name;
  std::string target;  // context string, macro or window/file reference
};

// One image of a picture file (|bmN, or SHG/MRB on disk), decoded.
struct PictureImage {
  std::uint8_t type = 0;     // kPictureDdb, kPictureDib or kPictureMetafile
  std::uint8_t packing = 0;  // a PicturePacking
  std::uint32_t xDpi = 0, yDpi = 0;
  std::uint16_t planes = 0, bitCount = 0;
  std::uint32_t width = 0, height = 0;
  std::uint32_t coloursUsed = 0, coloursImportant = 0;
  std::uint32_t packedSize = 0;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
  // Bitmaps: width * height pixels, top row first, 0x00RRGGBB each.
  std::vector<std::uint32_t> pixels;
  // Metafiles: the unpacked metafile bytes.
  std::vector<std::uint8_t> metafile;
  std::uint16_t mappingMode = 0;
  std::vector<PictureHotspot> hotspots;
};

// The container: one image per resolution. Every offset and size is checked
// against the buffer; pixel counts are capped so a hostile header cannot
// demand gigabytes.
struct Picture {
  std::uint16_t magic = 0;
  std::vector<PictureImage> images;

  // Throws FormatError naming `what`.
  static Picture parse(std::span<const std::uint8_t> bytes, const std::string& what);
};

// Writes a decoded bitmap as a 24-bit uncompressed Windows bitmap file or as
// a binary PPM (P6). Return false when the stream fails.
bool writeBmp(const PictureImage& image, std::ostream& out);
bool writePpm(const PictureImage& image, std::ostream& out);

}  // namespace hcrtf::dump
