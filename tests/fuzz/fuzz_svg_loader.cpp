// SVG and SVGZ files of any content, drawn at their own size (within the
// engine's largest side) and written as a bitmap.

#include <cstddef>
#include <cstdint>

#include "imagelibs/SvgRenderer.h"
#include "tests/fuzz/FuzzPictureFiles.h"

// Leaks of the libraries under the renderer, not of ours: fontconfig (which
// draws a picture's text) loses hold of some of its caches once a process,
// and the renderer leaves each entity an SVG declares to libxml2 (a few
// bytes an entity). Everything else is still checked.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\nleak:libxml2.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_pictures::writeSource(data, size);
  imagelibs::Picture picture;
  int result = imagelibs::SvgRenderer::render(fuzz_pictures::paths().source, 0xC0C0C0, 1024, picture);
  if (result == imagelibs::kOk) result = imagelibs::BmpWriter::write(picture, fuzz_pictures::paths().bitmap);
  fuzz_pictures::checkOutcome(result);
  return 0;
}
