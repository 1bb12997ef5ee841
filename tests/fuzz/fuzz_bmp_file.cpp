// Any bytes given to the bitmap reader either decode to a picture whose pixel
// buffer matches its size, or end in a BmpError.
#include <cstddef>
#include <cstdint>
#include <span>

#include "hcrtf/compiler/BmpFile.h"
#include "hcrtf/compiler/HelpPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const hcrtf::compiler::DibImage img = hcrtf::compiler::BmpFile::parse(std::span(data, size));
    if (img.pixels.size() != img.stride() * static_cast<std::size_t>(img.height)) __builtin_trap();
    if (img.pixels.size() < 4096) (void)hcrtf::compiler::HelpPicture::build(img, size % 2 == 0);
  } catch (const hcrtf::compiler::BmpError&) {
  }
  return 0;
}
