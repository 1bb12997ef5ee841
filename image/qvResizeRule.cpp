#include "image/qvResizeRule.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "imagelibs/ImageLimits.h"

namespace {

std::int32_t little32(const unsigned char* at) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
                                   (static_cast<std::uint32_t>(at[2]) << 16) |
                                   (static_cast<std::uint32_t>(at[3]) << 24));
}

}  // namespace

std::optional<qvResizeRule::Size> qvResizeRule::bitmapSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char header[26];
  if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return std::nullopt;
  if (header[0] != 'B' || header[1] != 'M') return std::nullopt;
  // A negative height is a top-down bitmap of that many rows.
  return Size{std::llabs(little32(header + 18)), std::llabs(little32(header + 22))};
}

std::optional<qvResizeRule::Size> qvResizeRule::target(Size picture, int width, int height) {
  if (width <= 0 && height <= 0) return std::nullopt;
  if (picture.width <= 0 || picture.height <= 0) return std::nullopt;
  Size wanted{width > 0 ? width : 0, height > 0 ? height : 0};
  if (wanted.height == 0) wanted.height = wanted.width * picture.height / picture.width;
  if (wanted.width == 0) wanted.width = wanted.height * picture.width / picture.height;
  if (wanted.width == 0 || wanted.height == 0) return std::nullopt;
  if (!imagelibs::ImageLimits::fits(wanted.width, wanted.height, 24)) return std::nullopt;
  if (wanted.width == picture.width && wanted.height == picture.height) return std::nullopt;
  return wanted;
}
