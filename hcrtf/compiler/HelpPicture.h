#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "hcrtf/compiler/BmpFile.h"

namespace hcrtf::compiler {

// How the pixel data of a stored picture is packed.
enum class PicturePacking : std::uint8_t {
  None = 0,
  RunLength = 1,
  Lz77 = 2,
  RunLengthThenLz77 = 3,  // run-length first, the result LZ77-packed
};

// Builds the content of a |bmN internal file: the picture container viewers
// read (magic "lP", one picture, its offset table), holding one
// device-independent bitmap (type 6) at 96 dpi with its palette and without
// hotspots. The pixel data gets whichever packing comes out smallest.
class HelpPicture {
 public:
  // `transparent` is for the bmct/bmlt/bmrt forms: white pixels show the
  // window's background. Viewers take the last palette entry as the colour
  // to replace, so white is moved there; pictures without a palette, or
  // without white in it, are stored opaque.
  static std::vector<std::uint8_t> build(const DibImage& image, bool transparent);

  // The packing `build` chose, read back from a built file.
  static PicturePacking packingOf(std::span<const std::uint8_t> built);

  // The run-length packing of pictures: a byte n < 0x80 repeats the next byte
  // n times; a byte 0x80 | n copies the next n bytes.
  static std::vector<std::uint8_t> runLengthEncode(std::span<const std::uint8_t> data);
};

}  // namespace hcrtf::compiler
