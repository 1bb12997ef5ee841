// libcorvane7.so: SVG to bitmap.

#include <cstdint>

#include "imagelibs/BmpWriter.h"
#include "imagelibs/ImageExport.h"
#include "imagelibs/SvgRenderer.h"

CORVANE_IMAGE_EXPORT int LoadSvgFile(const char* svg, const char* bmp, std::uint32_t background, int maxSide) {
  using namespace imagelibs;
  if (svg == nullptr || bmp == nullptr) return kUnreadable;
  return guarded([&] {
    Picture picture;
    const int result = SvgRenderer::render(svg, background, maxSide, picture);
    return result != kOk ? result : BmpWriter::write(picture, bmp);
  });
}
