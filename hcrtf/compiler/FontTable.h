#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "hcrtf/compiler/HelpModel.h"

namespace hcrtf::compiler {

// The fonts a help file uses, each distinct FontSpec once, in order of first
// use; serialises to the |FONT internal file.
class FontTable {
 public:
  // The descriptor number of `style`, adding it on first use. The table is
  // capped at 65535 descriptors; later new fonts map to descriptor 0.
  std::uint16_t intern(const FontSpec& style);
  std::size_t size() const { return specs_.size(); }
  std::vector<std::uint8_t> serialize() const;

 private:
  std::vector<FontSpec> specs_;
  std::vector<std::string> faces_;
  std::map<std::string, std::uint16_t> faceIndex_;
  std::map<std::string, std::uint16_t> specIndex_;
};

}  // namespace hcrtf::compiler
