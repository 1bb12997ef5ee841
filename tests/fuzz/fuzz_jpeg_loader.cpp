// JPEG files: markers, Huffman data, progressive scans and colour spaces,
// decoded and written as a bitmap.

#include <cstddef>
#include <cstdint>

#include "imagelibs/JpegDecoder.h"
#include "tests/fuzz/FuzzPictureFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_pictures::writeSource(data, size);
  imagelibs::Picture picture;
  int result = imagelibs::JpegDecoder::decode(fuzz_pictures::paths().source, picture);
  if (result == imagelibs::kOk) result = imagelibs::BmpWriter::write(picture, fuzz_pictures::paths().bitmap);
  fuzz_pictures::checkOutcome(result);
  return 0;
}
