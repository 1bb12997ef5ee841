#include "imagelibs/BmpWriter.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "imagelibs/ImageResult.h"

namespace imagelibs {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

std::vector<std::uint8_t> headers(const Picture& picture, std::uint32_t stride) {
  const std::uint32_t colours = picture.bitCount == 8 ? static_cast<std::uint32_t>(picture.palette.size() / 3) : 0;
  const std::uint32_t offset = 14 + 40 + colours * 4;
  const std::uint32_t imageBytes = stride * static_cast<std::uint32_t>(picture.height);
  std::vector<std::uint8_t> out{'B', 'M'};
  put32(out, offset + imageBytes);
  put32(out, 0);
  put32(out, offset);
  put32(out, 40);
  put32(out, static_cast<std::uint32_t>(picture.width));
  put32(out, static_cast<std::uint32_t>(picture.height));
  put16(out, 1);
  put16(out, static_cast<std::uint32_t>(picture.bitCount));
  put32(out, 0);  // uncompressed
  put32(out, imageBytes);
  put32(out, 2835);  // 72 dots an inch
  put32(out, 2835);
  put32(out, colours);
  put32(out, 0);
  for (std::uint32_t i = 0; i < colours; ++i) {
    out.push_back(picture.palette[i * 3 + 2]);
    out.push_back(picture.palette[i * 3 + 1]);
    out.push_back(picture.palette[i * 3]);
    out.push_back(0);
  }
  return out;
}

bool writeRows(std::FILE* file, const Picture& picture, std::uint32_t stride) {
  std::vector<std::uint8_t> row(stride, 0);
  const std::size_t rowBytes = picture.rowBytes();
  for (std::int32_t y = picture.height - 1; y >= 0; --y) {
    const std::uint8_t* source = picture.pixels.data() + static_cast<std::size_t>(y) * rowBytes;
    if (picture.bitCount == 8) {
      std::copy(source, source + rowBytes, row.begin());
    } else {
      for (std::size_t x = 0; x < rowBytes; x += 3) {
        row[x] = source[x + 2];
        row[x + 1] = source[x + 1];
        row[x + 2] = source[x];
      }
    }
    if (std::fwrite(row.data(), 1, row.size(), file) != row.size()) return false;
  }
  return true;
}

}  // namespace

int BmpWriter::write(const Picture& picture, const std::string& path) {
  const std::uint32_t stride = static_cast<std::uint32_t>((picture.rowBytes() + 3) / 4 * 4);
  const std::string temporary = temporaryName(path);
  bool ok = false;
  {
    File file(std::fopen(temporary.c_str(), "wb"));
    if (!file) return kNotWritten;
    const std::vector<std::uint8_t> head = headers(picture, stride);
    ok = std::fwrite(head.data(), 1, head.size(), file.get()) == head.size() && writeRows(file.get(), picture, stride);
    ok = std::fflush(file.get()) == 0 && ok;
    ok = std::fclose(file.release()) == 0 && ok;
  }
  if (ok && std::rename(temporary.c_str(), path.c_str()) == 0) return kOk;
  std::remove(temporary.c_str());
  return kNotWritten;
}

}  // namespace imagelibs
