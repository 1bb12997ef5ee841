// libcorvane3.so: GIF to bitmap.

#include <cstdint>

#include "imagelibs/BmpWriter.h"
#include "imagelibs/GifDecoder.h"
#include "imagelibs/ImageExport.h"

CORVANE_IMAGE_EXPORT int LoadGifFile(const char* gif, const char* bmp, std::uint32_t background) {
  using namespace imagelibs;
  if (gif == nullptr || bmp == nullptr) return kUnreadable;
  return guarded([&] {
    Picture picture;
    const int result = GifDecoder::decode(gif, background, picture);
    return result != kOk ? result : BmpWriter::write(picture, bmp);
  });
}
