#include "html/qvTagValues.h"

#include <climits>

#include "base/qvTextUtil.h"

namespace qvTagValues {
namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::uint8_t parseAlignment(std::string_view value) {
  const std::string lowered = qvLowerCase(value);
  if (lowered == "left") return kAlignLeft;
  if (lowered == "center" || lowered == "centre") return kAlignCentre;
  if (lowered == "right") return kAlignRight;
  return kAlignNone;
}

std::optional<int> parseInteger(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    // Saturate instead of overflowing: a page may carry any digit string.
    if (value <= INT_MAX) value = value * 10 + (c - '0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int parseColour(std::string_view value) {
  if (value.size() != 7 || value.front() != '#') return -1;
  int rgb = 0;
  for (std::size_t i = 1; i < 7; ++i) {
    const int digit = hexDigit(value[i]);
    if (digit < 0) return -1;
    rgb = rgb * 16 + digit;
  }
  const int red = (rgb >> 16) & 0xFF;
  const int green = (rgb >> 8) & 0xFF;
  const int blue = rgb & 0xFF;
  return red | (green << 8) | (blue << 16);
}

}  // namespace qvTagValues
