#include "cache/CacheKey.h"

#include <array>
#include <cctype>

namespace {

constexpr std::array<std::uint32_t, 256> makeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t crc = i << 24;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    table[i] = crc;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = makeCrcTable();

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

}  // namespace

std::string cacheKey(std::string_view url) {
  std::string folded(url);
  std::size_t position = 0;
  for (const std::string_view scheme : {std::string_view("http://"), std::string_view("https://")}) {
    if (folded.size() < scheme.size()) continue;
    std::string prefix = folded.substr(0, scheme.size());
    for (char& c : prefix) c = lower(c);
    if (prefix != scheme) continue;
    folded.replace(0, scheme.size(), prefix);
    position = scheme.size();
    break;
  }
  for (; position < folded.size() && folded[position] != '/'; ++position) folded[position] = lower(folded[position]);

  std::string key;
  key.reserve(folded.size());
  for (std::size_t i = 0; i < folded.size(); ++i) {
    if (folded[i] == '%' && i + 2 < folded.size() && hexValue(folded[i + 1]) >= 0 && hexValue(folded[i + 2]) >= 0) {
      key.push_back(static_cast<char>(hexValue(folded[i + 1]) * 16 + hexValue(folded[i + 2])));
      i += 2;
      continue;
    }
    key.push_back(folded[i]);
  }
  return key;
}

std::uint32_t cacheHash(std::string_view key) {
  std::uint32_t crc = 0;
  for (const char c : key) crc = (crc << 8) ^ kCrcTable[((crc >> 24) ^ static_cast<unsigned char>(c)) & 0xFF];
  return ~crc;
}
