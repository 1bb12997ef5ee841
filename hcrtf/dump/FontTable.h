#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace hcrtf::dump {

// One entry of |FONT's descriptor array in the layout of help compilers;
// topic text selects fonts by index into these.
struct FontDescriptor {
  std::uint8_t attributes = 0;  // kFontBold and the other kFont bits
  std::uint8_t halfPoints = 0;
  std::uint8_t family = 0;      // 1 modern, 2 roman, 3 swiss, 4 script, 5 decorative
  std::uint16_t faceIndex = 0;
  std::uint8_t foreground[3] = {0, 0, 0};  // r, g, b
  std::uint8_t background[3] = {0, 0, 0};
};

// |FONT: face names and descriptors. Files from multimedia compilers use a
// longer descriptor; for those only the face names are read and
// descriptorsRead stays false.
struct FontTable {
  std::vector<std::string> faceNames;
  std::vector<FontDescriptor> descriptors;
  std::uint16_t descriptorCount = 0;
  std::uint16_t facenamesOffset = 0;
  bool descriptorsRead = false;

  // Throws FormatError when the arrays do not fit in the file.
  static FontTable parse(std::span<const std::uint8_t> content);
};

}  // namespace hcrtf::dump
