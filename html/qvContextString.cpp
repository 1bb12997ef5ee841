#include "html/qvContextString.h"

#include <cstdint>

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr std::string_view kShortened = ".ZZ";
constexpr std::size_t kHashDigits = 16;

bool standsAsItIs(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// FNV-1a: stable across runs and builds, unlike std::hash.
std::uint64_t nameHash(std::string_view name) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : name) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

std::string shortened(std::string_view name, const std::string& mapped) {
  const std::size_t room = qvContextString::kMaxLength - kShortened.size() - kHashDigits;
  std::size_t cut = 0;
  for (std::size_t step = 0; cut < mapped.size(); cut += step) {
    step = mapped[cut] == '.' ? 3 : 1;
    if (cut + step > room) break;
  }
  std::string result = mapped.substr(0, cut);
  result += kShortened;
  const std::uint64_t hash = nameHash(name);
  for (int shift = 60; shift >= 0; shift -= 4) result += kHex[(hash >> shift) & 15];
  return result;
}

}  // namespace

std::string qvContextString::fromName(std::string_view name) {
  std::string mapped;
  mapped.reserve(name.size());
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (standsAsItIs(byte)) {
      mapped += c;
      continue;
    }
    mapped += '.';
    mapped += kHex[byte >> 4];
    mapped += kHex[byte & 15];
  }
  if (mapped.size() <= kMaxLength) return mapped;
  return shortened(name, mapped);
}
