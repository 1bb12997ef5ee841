#pragma once
// Decodes the first frame of a GIF, drawn on its logical screen, into an
// 8-bit picture. The transparent colour and the screen outside the frame
// take the background colour (help files store pictures opaque).

#include <cstdint>
#include <string>

#include "imagelibs/Picture.h"

namespace imagelibs {

class GifDecoder {
 public:
  // A result of ImageResult.h; `picture` is filled only on kOk.
  static int decode(const std::string& path, std::uint32_t background, Picture& picture);
};

}  // namespace imagelibs
