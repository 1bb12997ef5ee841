#pragma once
// When and to what size a converted bitmap is scaled. A page may give the
// width, the height or both; a missing side keeps the picture's aspect.
// Sizes are worked out in 64 bits and never past what a help file holds, so
// `width=800` on a 1 x 1000 picture (800 x 800,000) leaves it as it is.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

class qvResizeRule {
 public:
  struct Size {
    std::int64_t width = 0;
    std::int64_t height = 0;
  };

  // The size of the bitmap file at `path` from its header (26 bytes: "BM",
  // then the width at 18 and the height at 22); none when it is no bitmap.
  static std::optional<Size> bitmapSize(const std::string& path);
  // The size to scale a picture of `picture` to when the page asked for
  // `width` x `height`; none when it stays as it is.
  static std::optional<Size> target(Size picture, int width, int height);
};
