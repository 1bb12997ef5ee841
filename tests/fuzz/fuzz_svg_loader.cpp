// SVG and SVGZ files of any content, drawn at their own size (within the
// engine's largest side) and written as a bitmap.

#include <cstddef>
#include <cstdint>

#include "imagelibs/SvgRenderer.h"
#include "tests/fuzz/FuzzPictureFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_pictures::writeSource(data, size);
  imagelibs::Picture picture;
  int result = imagelibs::SvgRenderer::render(fuzz_pictures::paths().source, 0xC0C0C0, 1024, picture);
  if (result == imagelibs::kOk) result = imagelibs::BmpWriter::write(picture, fuzz_pictures::paths().bitmap);
  fuzz_pictures::checkOutcome(result);
  return 0;
}
