// PNG files: chunks, compressed data, every colour type and interlace,
// decoded and written as a bitmap.

#include <cstddef>
#include <cstdint>

#include "imagelibs/PngDecoder.h"
#include "tests/fuzz/FuzzPictureFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_pictures::writeSource(data, size);
  imagelibs::Picture picture;
  int result = imagelibs::PngDecoder::decode(fuzz_pictures::paths().source, 0xE2FFFF, picture);
  if (result == imagelibs::kOk) result = imagelibs::BmpWriter::write(picture, fuzz_pictures::paths().bitmap);
  fuzz_pictures::checkOutcome(result);
  return 0;
}
