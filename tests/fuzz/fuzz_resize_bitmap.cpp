// Bitmap files of any content scaled to any size through the library's
// entry point: the first four bytes give the target width and height (each
// 0 to 1023), the rest is the file. Success leaves a bitmap of exactly that
// size; any refusal leaves the file exactly as it was.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "imagelibs/BmpReader.h"
#include "tests/fuzz/FuzzPictureFiles.h"

extern "C" int ResizeBitmap(const char* bmp, int width, int height);

namespace {

std::vector<std::uint8_t> contentOf(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return bytes;
  for (int c; (c = std::fgetc(file)) != EOF;) bytes.push_back(static_cast<std::uint8_t>(c));
  std::fclose(file);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace fuzz_pictures;
  if (size < 4) return 0;
  const int width = (data[0] | (data[1] << 8)) & 0x3FF;
  const int height = (data[2] | (data[3] << 8)) & 0x3FF;
  writeSource(data + 4, size - 4);
  const std::string& path = paths().source;
  const int result = ResizeBitmap(path.c_str(), width, height);
  check(result >= imagelibs::kOk && result <= imagelibs::kNotWritten);
  if (result == imagelibs::kOk) {
    imagelibs::Picture scaled;
    check(imagelibs::BmpReader::read(path, scaled) == imagelibs::kOk);
    check(scaled.width == width && scaled.height == height);
  } else {
    check(contentOf(path) == std::vector<std::uint8_t>(data + 4, data + size));
  }
  return 0;
}
