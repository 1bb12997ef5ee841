#include "hcrtf/dump/TextEscape.h"

namespace hcrtf::dump {

std::string escapeText(std::string_view text) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\\' || c == '<') {
      out.push_back('\\');
      out.push_back(ch);
    } else if (c >= 0x20 && c < 0x7F) {
      out.push_back(ch);
    } else {
      out += "\\x";
      out.push_back(digits[c >> 4]);
      out.push_back(digits[c & 0xF]);
    }
  }
  return out;
}

std::string hex32(std::uint32_t value) {
  static const char* digits = "0123456789ABCDEF";
  std::string s = "0x";
  for (int shift = 28; shift >= 0; shift -= 4) s.push_back(digits[(value >> shift) & 0xF]);
  return s;
}

}  // namespace hcrtf::dump
