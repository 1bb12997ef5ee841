#include "hcrtf/common/HelpHash.h"

#include <array>

namespace hcrtf {
namespace {

// Per-byte contribution to the context hash. Control and most punctuation
// characters map into the 0xD1..0xFF range, which is negative as a signed
// byte; digits map to 1..10 ('0' is 10), letters of both cases to 17..42,
// bytes from 0x80 up shift down by 0x30.
constexpr std::array<std::int8_t, 256> makeHashTable() {
  std::array<std::int8_t, 256> t{};
  for (int i = 1; i < 0x30; ++i) t[i] = static_cast<std::int8_t>(0xD0 + i);
  t[0x21] = 0x0B;  // '!'
  t[0x2E] = 0x0C;  // '.'
  t[0x30] = 0x0A;  // '0'
  for (int i = 0x31; i < 0x40; ++i) t[i] = static_cast<std::int8_t>(i - 0x30);
  t[0x40] = 0x10;  // '@'
  for (int i = 0x41; i <= 0x5A; ++i) t[i] = static_cast<std::int8_t>(i - 0x30);
  t[0x5B] = 0x0B;  // '['
  t[0x5C] = 0x0C;  // '\\'
  t[0x5D] = 0x0D;  // ']'
  t[0x5E] = 0x0E;  // '^'
  t[0x5F] = 0x0D;  // '_'
  t[0x60] = 0x10;  // '`'
  for (int i = 0x61; i < 0x80; ++i) t[i] = static_cast<std::int8_t>(i - 0x50);
  for (int i = 0x80; i < 0x100; ++i) t[i] = static_cast<std::int8_t>(i - 0x30);
  t[0xB4] = 0x0B;
  return t;
}

constexpr std::array<std::int8_t, 256> kHashTable = makeHashTable();

bool isPortableChar(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
         (c >= 'a' && c <= 'z') || c == '.' || c == '_';
}

}  // namespace

std::int32_t helpHash(std::string_view contextString) {
  if (contextString.empty()) return 1;
  // Unsigned arithmetic: the wrap-around is part of the format.
  std::uint32_t hash = 0;
  for (char ch : contextString) {
    const auto c = static_cast<unsigned char>(ch);
    hash = hash * 43u + static_cast<std::uint32_t>(
                            static_cast<std::int32_t>(kHashTable[c]));
  }
  return static_cast<std::int32_t>(hash);
}

bool isPortableContextString(std::string_view contextString) {
  if (contextString.empty()) return false;
  for (char ch : contextString) {
    if (!isPortableChar(static_cast<unsigned char>(ch))) return false;
  }
  return true;
}

}  // namespace hcrtf
