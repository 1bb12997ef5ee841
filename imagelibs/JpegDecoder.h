#pragma once
// Decodes a JPEG (baseline or progressive; grey, YCbCr, RGB, CMYK or YCCK)
// into a picture: 8 bits with a grey palette for grey pictures, else 24.
// Every warning of the decoder counts as damage, the decoder's memory is
// capped, and a file of more scans than any real picture uses is refused.

#include <string>

#include "imagelibs/Picture.h"

namespace imagelibs {

class JpegDecoder {
 public:
  // Scans beyond this many mark a file built to keep the decoder busy.
  static constexpr int kMaxScans = 500;
  // The decoder's own working memory (progressive coefficients above all).
  static constexpr long kMaxDecoderMemory = 160L << 20;

  // A result of ImageResult.h; `picture` is filled only on kOk.
  static int decode(const std::string& path, Picture& picture);
};

}  // namespace imagelibs
