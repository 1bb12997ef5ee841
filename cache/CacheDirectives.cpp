#include "cache/CacheDirectives.h"

#include <cstddef>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsFolded(std::string_view text, std::string_view lowerName) {
  if (text.size() != lowerName.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (lower(text[i]) != lowerName[i]) return false;
  }
  return true;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The end of the list item starting at `from`: the next comma outside a
// quoted argument, or the end of the value.
std::size_t itemEnd(std::string_view value, std::size_t from) {
  bool quoted = false;
  for (std::size_t i = from; i < value.size(); ++i) {
    const char c = value[i];
    if (quoted && c == '\\' && i + 1 < value.size()) {
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      return i;
    }
  }
  return value.size();
}

}  // namespace

CacheDirectives CacheDirectives::parse(std::string_view value) {
  CacheDirectives found;
  std::size_t at = 0;
  while (at <= value.size()) {
    const std::size_t end = itemEnd(value, at);
    std::string_view item = value.substr(at, end - at);
    item = trimmed(item.substr(0, item.find('=')));
    if (equalsFolded(item, "no-cache")) found.noCache = true;
    if (equalsFolded(item, "no-store")) found.noStore = true;
    if (equalsFolded(item, "must-revalidate")) found.mustRevalidate = true;
    at = end + 1;
  }
  return found;
}
