// libcorvane4.so: JPEG to bitmap.

#include "imagelibs/BmpWriter.h"
#include "imagelibs/ImageExport.h"
#include "imagelibs/JpegDecoder.h"

CORVANE_IMAGE_EXPORT int LoadJpgFile(const char* jpg, const char* bmp) {
  using namespace imagelibs;
  if (jpg == nullptr || bmp == nullptr) return kUnreadable;
  return guarded([&] {
    Picture picture;
    const int result = JpegDecoder::decode(jpg, picture);
    return result != kOk ? result : BmpWriter::write(picture, bmp);
  });
}
