#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "hcrtf/common/HelpFormat.h"
#include "hcrtf/compiler/BmpFile.h"

namespace hcrtf::compiler {

// Builds the content of a |bmN internal file: the picture container viewers
// read, holding one picture, a device-independent bitmap at 96 dpi with its
// palette and without hotspots. The pixel data gets whichever packing comes
// out smallest.
class HelpPicture {
 public:
  // `transparent` is for the bmct/bmlt/bmrt forms: white pixels show the
  // window's background. White is moved to the palette entry viewers make
  // transparent; pictures without a palette, or without white in it, are
  // stored opaque.
  static std::vector<std::uint8_t> build(const DibImage& image, bool transparent);

  // The packing `build` chose, read back from a built file.
  static PicturePacking packingOf(std::span<const std::uint8_t> built);

  // The run-length packing of pictures (the decoder is runLengthDecode).
  static std::vector<std::uint8_t> runLengthEncode(std::span<const std::uint8_t> data);
};

}  // namespace hcrtf::compiler
