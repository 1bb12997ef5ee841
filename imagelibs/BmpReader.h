#pragma once
// Reads the bitmaps the libraries write (uncompressed, 8 or 24 bits, either
// row order) back into a picture, for scaling. The header is checked against
// the size limits and the file's length before any pixel buffer exists.

#include <string>

#include "imagelibs/Picture.h"

namespace imagelibs {

class BmpReader {
 public:
  // A result of ImageResult.h; `picture` is filled only on kOk.
  static int read(const std::string& path, Picture& picture);
};

}  // namespace imagelibs
