#include "imagelibs/BmpReader.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "imagelibs/ImageLimits.h"
#include "imagelibs/ImageResult.h"

namespace imagelibs {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::uint32_t get32(const std::uint8_t* at) {
  return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}
std::uint16_t get16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | (at[1] << 8)); }

struct Header {
  std::uint32_t dataOffset = 0;
  std::uint32_t infoSize = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;  // negative: rows top-down
  int bitCount = 0;
  std::uint32_t colours = 0;
};

int parseHeader(const std::uint8_t* bytes, Header& header) {
  if (bytes[0] != 'B' || bytes[1] != 'M') return kWrongSignature;
  header.dataOffset = get32(bytes + 10);
  header.infoSize = get32(bytes + 14);
  if (header.infoSize < 40) return kWrongSignature;
  header.width = static_cast<std::int32_t>(get32(bytes + 18));
  header.height = static_cast<std::int32_t>(get32(bytes + 22));
  header.bitCount = get16(bytes + 28);
  if (get32(bytes + 30) != 0 || (header.bitCount != 8 && header.bitCount != 24)) return kWrongSignature;
  if (header.width <= 0 || header.height == 0) return kNoPixels;
  const std::int64_t rows = header.height < 0 ? -header.height : header.height;
  if (!ImageLimits::fits(header.width, rows, header.bitCount)) return kTooLarge;
  header.colours = get32(bytes + 46);
  if (header.bitCount == 8 && (header.colours == 0 || header.colours > 256)) header.colours = 256;
  if (header.bitCount == 24) header.colours = 0;
  return kOk;
}

bool readAt(std::FILE* file, long offset, std::uint8_t* into, std::size_t length) {
  return std::fseek(file, offset, SEEK_SET) == 0 && std::fread(into, 1, length, file) == length;
}

int readPalette(std::FILE* file, const Header& header, Picture& picture) {
  std::vector<std::uint8_t> quads(header.colours * 4);
  if (!readAt(file, 14 + static_cast<long>(header.infoSize), quads.data(), quads.size())) return kDamaged;
  picture.palette.resize(header.colours * 3);
  for (std::uint32_t i = 0; i < header.colours; ++i) {
    picture.palette[i * 3] = quads[i * 4 + 2];
    picture.palette[i * 3 + 1] = quads[i * 4 + 1];
    picture.palette[i * 3 + 2] = quads[i * 4];
  }
  return kOk;
}

int readRows(std::FILE* file, const Header& header, Picture& picture) {
  const std::size_t rowBytes = picture.rowBytes();
  const std::size_t stride = (rowBytes + 3) / 4 * 4;
  std::vector<std::uint8_t> row(stride);
  if (std::fseek(file, static_cast<long>(header.dataOffset), SEEK_SET) != 0) return kDamaged;
  picture.pixels.resize(rowBytes * static_cast<std::size_t>(picture.height));
  for (std::int32_t stored = 0; stored < picture.height; ++stored) {
    if (std::fread(row.data(), 1, stride, file) != stride) return kDamaged;
    const std::int32_t y = header.height < 0 ? stored : picture.height - 1 - stored;
    std::uint8_t* target = picture.pixels.data() + static_cast<std::size_t>(y) * rowBytes;
    if (picture.bitCount == 8) {
      std::copy(row.begin(), row.begin() + static_cast<long>(rowBytes), target);
      continue;
    }
    for (std::size_t x = 0; x < rowBytes; x += 3) {
      target[x] = row[x + 2];
      target[x + 1] = row[x + 1];
      target[x + 2] = row[x];
    }
  }
  return kOk;
}

}  // namespace

int BmpReader::read(const std::string& path, Picture& picture) {
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) return kUnreadable;
  std::uint8_t bytes[54];
  if (std::fread(bytes, 1, sizeof bytes, file.get()) != sizeof bytes) return kWrongSignature;
  Header header;
  if (const int result = parseHeader(bytes, header); result != kOk) return result;
  const std::int64_t rows = header.height < 0 ? -header.height : header.height;
  const std::int64_t needed = header.dataOffset + ImageLimits::bitmapBytes(header.width, rows, header.bitCount);
  if (std::fseek(file.get(), 0, SEEK_END) != 0 || std::ftell(file.get()) < needed) return kDamaged;
  Picture decoded;
  decoded.width = static_cast<std::int32_t>(header.width);
  decoded.height = static_cast<std::int32_t>(rows);
  decoded.bitCount = header.bitCount;
  if (header.bitCount == 8) {
    if (const int result = readPalette(file.get(), header, decoded); result != kOk) return result;
  }
  if (const int result = readRows(file.get(), header, decoded); result != kOk) return result;
  picture = std::move(decoded);
  return kOk;
}

}  // namespace imagelibs
