#pragma once
// Writes a picture as an uncompressed, bottom-up Windows bitmap ("BM", a
// 40-byte info header, 8 bits with its palette or 24 bits). The file is
// written under a temporary name beside the target and renamed over it only
// when whole, so a reader never finds half a bitmap and a failed write
// leaves the earlier file (or none) in place.

#include <string>

#include "imagelibs/Picture.h"

namespace imagelibs {

class BmpWriter {
 public:
  // kOk, or kNotWritten with no file of either name left behind.
  static int write(const Picture& picture, const std::string& path);
  // The temporary name used while `path` is written.
  static std::string temporaryName(const std::string& path) { return path + ".part"; }
};

}  // namespace imagelibs
