#include "hcrtf/common/Lz77.h"

#include "hcrtf/common/HelpFormat.h"

namespace hcrtf {
namespace {

void copyMatch(std::vector<std::uint8_t>& out, std::size_t distance,
               std::size_t length, std::size_t maxOutput) {
  for (std::size_t i = 0; i < length && out.size() < maxOutput; ++i) {
    // Byte by byte: a match may overlap the bytes it produces.
    const std::uint8_t b = distance <= out.size() ? out[out.size() - distance] : 0;
    out.push_back(b);
  }
}

}  // namespace

std::vector<std::uint8_t> lz77Decompress(std::span<const std::uint8_t> input,
                                         std::size_t maxOutput) {
  std::vector<std::uint8_t> out;
  out.reserve(maxOutput < input.size() * 2 ? maxOutput : input.size() * 2);
  std::size_t pos = 0;
  while (pos < input.size() && out.size() < maxOutput) {
    const std::uint8_t flags = input[pos++];
    for (int bit = 0; bit < 8 && pos < input.size() && out.size() < maxOutput; ++bit) {
      if ((flags & (1u << bit)) == 0) {
        out.push_back(input[pos++]);
        continue;
      }
      if (pos + 2 > input.size()) return out;
      const unsigned word = input[pos] | (input[pos + 1] << 8);
      pos += 2;
      copyMatch(out, (word & (kLz77Window - 1)) + 1, (word >> 12) + kLz77MinMatch, maxOutput);
    }
  }
  return out;
}

std::vector<std::uint8_t> runLengthDecode(std::span<const std::uint8_t> input,
                                          std::size_t maxOutput) {
  std::vector<std::uint8_t> out;
  std::size_t pos = 0;
  while (pos < input.size() && out.size() < maxOutput) {
    const std::uint8_t n = input[pos++];
    if (n & kRunLengthCopy) {
      for (std::size_t i = 0; i < (n & kRunLengthMax) && pos < input.size() && out.size() < maxOutput; ++i) {
        out.push_back(input[pos++]);
      }
      continue;
    }
    if (pos >= input.size()) break;
    const std::uint8_t value = input[pos++];
    for (std::size_t i = 0; i < n && out.size() < maxOutput; ++i) out.push_back(value);
  }
  return out;
}

}  // namespace hcrtf
