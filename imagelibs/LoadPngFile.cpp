// libcorvane6.so: PNG to bitmap.

#include <cstdint>

#include "imagelibs/BmpWriter.h"
#include "imagelibs/ImageExport.h"
#include "imagelibs/PngDecoder.h"

CORVANE_IMAGE_EXPORT int LoadPngFile(const char* png, const char* bmp, std::uint32_t background) {
  using namespace imagelibs;
  if (png == nullptr || bmp == nullptr) return kUnreadable;
  return guarded([&] {
    Picture picture;
    const int result = PngDecoder::decode(png, background, picture);
    return result != kOk ? result : BmpWriter::write(picture, bmp);
  });
}
