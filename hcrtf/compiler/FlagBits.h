#pragma once

#include <initializer_list>
#include <utility>

namespace hcrtf::compiler {

// The union of the bits whose condition holds. Flag words in help files say
// which attributes are on or which optional fields follow.
inline unsigned flagBits(std::initializer_list<std::pair<bool, unsigned>> bits) {
  unsigned result = 0;
  for (const auto& [on, bit] : bits) {
    if (on) result |= bit;
  }
  return result;
}

}  // namespace hcrtf::compiler
