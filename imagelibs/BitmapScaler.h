#pragma once
// Scales a picture to a new size. Each target pixel takes the average of the
// source pixels it covers, so shrinking keeps thin lines and fine detail as
// tones instead of dropping them; enlarging repeats pixels. A palette
// picture that is only enlarged keeps its palette; anything averaged becomes
// 24 bits.

#include <cstdint>

#include "imagelibs/Picture.h"

namespace imagelibs {

class BitmapScaler {
 public:
  // `width` and `height` above zero and within ImageLimits.
  static Picture scale(const Picture& source, std::int32_t width, std::int32_t height);
};

}  // namespace imagelibs
