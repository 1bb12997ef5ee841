// libcorvane5.so: scales a bitmap file in place. The file is replaced only
// by a whole scaled bitmap; on any failure it keeps its old content.

#include "imagelibs/BitmapScaler.h"
#include "imagelibs/BmpReader.h"
#include "imagelibs/BmpWriter.h"
#include "imagelibs/ImageExport.h"
#include "imagelibs/ImageLimits.h"

CORVANE_IMAGE_EXPORT int ResizeBitmap(const char* bmp, int width, int height) {
  using namespace imagelibs;
  if (bmp == nullptr) return kUnreadable;
  if (width <= 0 || height <= 0) return kNoPixels;
  if (!ImageLimits::fits(width, height, 24)) return kTooLarge;
  return guarded([&] {
    Picture picture;
    const int result = BmpReader::read(bmp, picture);
    if (result != kOk) return result;
    if (picture.width == width && picture.height == height) return static_cast<int>(kOk);
    return BmpWriter::write(BitmapScaler::scale(picture, width, height), bmp);
  });
}
