#include "base/qvProfileName.h"

namespace qvProfileName {

std::string of(const std::string& url) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string name;
  name.reserve(url.size());
  for (const char c : url) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      name += '/';
    } else if (byte < 0x20 || byte == 0x7F) {
      name += '%';
      name += kHex[byte >> 4];
      name += kHex[byte & 0xF];
    } else {
      name += c;
    }
  }
  return name;
}

}  // namespace qvProfileName
