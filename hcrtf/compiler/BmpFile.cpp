#include "hcrtf/compiler/BmpFile.h"

#include <algorithm>
#include <climits>
#include <fstream>
#include <iterator>

namespace hcrtf::compiler {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kMaxPixelBytes = std::size_t{64} << 20;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;

std::uint32_t u16At(std::span<const std::uint8_t> b, std::size_t at) {
  return b[at] | (std::uint32_t{b[at + 1]} << 8);
}
std::uint32_t u32At(std::span<const std::uint8_t> b, std::size_t at) {
  return u16At(b, at) | (u16At(b, at + 2) << 16);
}

struct Header {
  std::uint32_t pixelOffset = 0;
  std::uint32_t infoSize = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;  // negative: top row first
  int bitCount = 0;
  std::uint32_t compression = kBiRgb;
  std::uint32_t colorsUsed = 0;
};

Header readHeader(std::span<const std::uint8_t> b) {
  if (b.size() < kFileHeaderSize + 12) throw BmpError("file too short for a bitmap header");
  if (b[0] != 'B' || b[1] != 'M') throw BmpError("not a Windows bitmap (no \"BM\" signature)");
  Header h;
  h.pixelOffset = u32At(b, 10);
  h.infoSize = u32At(b, 14);
  std::uint32_t planes = 0;
  if (h.infoSize == 12) {
    h.width = static_cast<std::int32_t>(u16At(b, 18));
    h.height = static_cast<std::int32_t>(u16At(b, 20));
    planes = u16At(b, 22);
    h.bitCount = static_cast<int>(u16At(b, 24));
  } else if (h.infoSize >= 40 && h.infoSize <= 1024) {
    if (b.size() < kFileHeaderSize + 40) throw BmpError("bitmap info header truncated");
    h.width = static_cast<std::int32_t>(u32At(b, 18));
    h.height = static_cast<std::int32_t>(u32At(b, 22));
    planes = u16At(b, 26);
    h.bitCount = static_cast<int>(u16At(b, 28));
    h.compression = u32At(b, 30);
    h.colorsUsed = u32At(b, 46);
  } else {
    throw BmpError("unknown bitmap info header size " + std::to_string(h.infoSize));
  }
  if (planes != 1) throw BmpError("bitmap has " + std::to_string(planes) + " planes, expected 1");
  if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN) {
    throw BmpError("bitmap has no pixels (" + std::to_string(h.width) + " x " +
                   std::to_string(h.height) + ")");
  }
  const std::int32_t rows = h.height < 0 ? -h.height : h.height;
  if (h.width > BmpFile::kMaxSide || rows > BmpFile::kMaxSide) {
    throw BmpError("bitmap too large (" + std::to_string(h.width) + " x " + std::to_string(rows) + ")");
  }
  return h;
}

void checkFormat(const Header& h) {
  const bool rgbDepth = h.bitCount == 1 || h.bitCount == 4 || h.bitCount == 8 ||
                        h.bitCount == 24 || h.bitCount == 32;
  if (!rgbDepth) throw BmpError(std::to_string(h.bitCount) + " bits per pixel is not supported");
  const bool ok = h.compression == kBiRgb || (h.compression == kBiRle8 && h.bitCount == 8) ||
                  (h.compression == kBiRle4 && h.bitCount == 4) ||
                  (h.compression == kBiBitfields && h.bitCount == 32);
  if (!ok) {
    throw BmpError("compression method " + std::to_string(h.compression) + " with " +
                   std::to_string(h.bitCount) + " bits per pixel is not supported");
  }
  if ((h.compression == kBiRle8 || h.compression == kBiRle4) && h.height < 0) {
    throw BmpError("run-length encoded bitmap stored top-down");
  }
}

std::vector<PaletteEntry> readPalette(std::span<const std::uint8_t> b, const Header& h) {
  if (h.bitCount > 8) return {};
  const std::uint32_t full = 1u << h.bitCount;
  const std::uint32_t count = h.colorsUsed == 0 || h.colorsUsed > full ? full : h.colorsUsed;
  const std::size_t entrySize = h.infoSize == 12 ? 3 : 4;
  const std::size_t start = kFileHeaderSize + h.infoSize;
  if (start + count * entrySize > b.size()) throw BmpError("colour table truncated");
  std::vector<PaletteEntry> palette(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t at = start + i * entrySize;
    palette[i] = {b[at + 2], b[at + 1], b[at]};
  }
  return palette;
}

// Sets one 4- or 8-bit pixel of a bottom-up image while decoding RLE.
class RleCanvas {
 public:
  explicit RleCanvas(DibImage& img) : img_(img) {}

  void put(std::uint32_t x, std::uint32_t y, std::uint8_t value) {
    if (x >= static_cast<std::uint32_t>(img_.width) || y >= static_cast<std::uint32_t>(img_.height)) {
      throw BmpError("run-length data runs outside the bitmap");
    }
    std::uint8_t& byte = img_.pixels[y * img_.stride() + (img_.bitCount == 8 ? x : x / 2)];
    if (img_.bitCount == 8) {
      byte = value;
    } else if (x % 2 == 0) {
      byte = static_cast<std::uint8_t>((byte & 0x0F) | (value << 4));
    } else {
      byte = static_cast<std::uint8_t>((byte & 0xF0) | (value & 0x0F));
    }
  }

 private:
  DibImage& img_;
};

void decodeRle(std::span<const std::uint8_t> data, DibImage& img) {
  RleCanvas canvas(img);
  const bool four = img.bitCount == 4;
  std::uint32_t x = 0;
  std::uint32_t y = 0;
  std::size_t p = 0;
  auto need = [&](std::size_t n) {
    if (p + n > data.size()) throw BmpError("run-length data ends without an end-of-bitmap mark");
  };
  for (;;) {
    need(2);
    const std::uint8_t count = data[p];
    const std::uint8_t value = data[p + 1];
    p += 2;
    if (count > 0) {  // a run of one colour (two alternating ones for RLE4)
      for (std::uint32_t i = 0; i < count; ++i, ++x) {
        canvas.put(x, y, four ? static_cast<std::uint8_t>(i % 2 ? value & 0x0F : value >> 4) : value);
      }
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      return;
    } else if (value == 2) {  // move right and up
      need(2);
      x += data[p];
      y += data[p + 1];
      p += 2;
    } else {  // literal pixels, padded to a 16-bit boundary
      const std::size_t bytes = four ? (value + 1u) / 2 : value;
      need(bytes);
      for (std::uint32_t i = 0; i < value; ++i, ++x) {
        const std::uint8_t b = data[p + (four ? i / 2 : i)];
        canvas.put(x, y, four ? static_cast<std::uint8_t>(i % 2 ? b & 0x0F : b >> 4) : b);
      }
      p += bytes + (bytes % 2);
    }
  }
}

// Copies uncompressed rows, turning top-down pictures bottom-up and 32-bit
// pixels into 24-bit ones.
void copyRows(std::span<const std::uint8_t> data, const Header& h, DibImage& img) {
  const std::size_t srcStride = (static_cast<std::size_t>(h.width) * h.bitCount + 31) / 32 * 4;
  const std::size_t rows = static_cast<std::size_t>(img.height);
  // The last row may omit its padding; some writers do.
  const std::size_t lastRow = (static_cast<std::size_t>(h.width) * h.bitCount + 7) / 8;
  if (data.size() < srcStride * (rows - 1) + lastRow) throw BmpError("pixel data truncated");
  for (std::size_t r = 0; r < rows; ++r) {
    const std::size_t srcRow = h.height < 0 ? rows - 1 - r : r;
    const std::uint8_t* src = data.data() + srcRow * srcStride;
    std::uint8_t* dst = img.pixels.data() + r * img.stride();
    if (h.bitCount != 32) {
      std::copy(src, src + std::min(srcStride, data.size() - srcRow * srcStride), dst);
      continue;
    }
    for (std::int32_t x = 0; x < h.width; ++x) {
      dst[3 * x] = src[4 * x];
      dst[3 * x + 1] = src[4 * x + 1];
      dst[3 * x + 2] = src[4 * x + 2];
    }
  }
}

}  // namespace

std::uint32_t DibImage::pixel(std::int32_t x, std::int32_t y) const {
  const std::uint8_t* row = pixels.data() + static_cast<std::size_t>(height - 1 - y) * stride();
  switch (bitCount) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4: return x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4;
    case 8: return row[x];
    default: {
      const std::uint8_t* p = row + 3 * static_cast<std::size_t>(x);
      return (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
    }
  }
}

namespace {

// 32-bit pictures with bit fields are read as blue, green, red bytes; any
// other layout of the fields would come out in the wrong colours.
void checkBitFields(std::span<const std::uint8_t> b, const Header& h) {
  if (h.compression != kBiBitfields) return;
  const std::size_t at = kFileHeaderSize + 40;
  if (b.size() < at + 12) throw BmpError("bit field masks truncated");
  if (u32At(b, at) != 0x00FF0000 || u32At(b, at + 4) != 0x0000FF00 || u32At(b, at + 8) != 0x000000FF) {
    throw BmpError("32-bit bitmap with an unusual colour layout is not supported");
  }
}

}  // namespace

DibImage BmpFile::parse(std::span<const std::uint8_t> bytes) {
  const Header h = readHeader(bytes);
  checkFormat(h);
  checkBitFields(bytes, h);
  DibImage img;
  img.width = h.width;
  img.height = h.height < 0 ? -h.height : h.height;
  img.bitCount = h.bitCount == 32 ? 24 : h.bitCount;
  img.palette = readPalette(bytes, h);
  if (img.stride() * static_cast<std::size_t>(img.height) > kMaxPixelBytes) {
    throw BmpError("bitmap too large (" + std::to_string(img.width) + " x " +
                   std::to_string(img.height) + ")");
  }
  if (h.pixelOffset >= bytes.size()) throw BmpError("pixel data missing");
  img.pixels.assign(img.stride() * static_cast<std::size_t>(img.height), 0);
  const auto data = bytes.subspan(h.pixelOffset);
  if (h.compression == kBiRle8 || h.compression == kBiRle4) {
    decodeRle(data, img);
  } else {
    copyRows(data, h, img);
  }
  return img;
}

DibImage BmpFile::read(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw BmpError("cannot open file");
  std::error_code ec;
  const auto size = std::filesystem::file_size(file, ec);
  if (!ec && size > kMaxPixelBytes * 2) throw BmpError("file too large for a bitmap");
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
  if (in.bad()) throw BmpError("read error");
  return parse(bytes);
}

}  // namespace hcrtf::compiler
