#include "base/qvTextUtil.h"

namespace {
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool blank(char c) { return static_cast<unsigned char>(c) <= ' '; }
}  // namespace

std::string qvLowerCase(std::string_view text) {
  std::string out(text);
  qvLowerCaseInPlace(out);
  return out;
}

void qvLowerCaseInPlace(std::string& text) {
  for (char& c : text) c = lower(c);
}

std::string_view qvTrim(std::string_view text) {
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool qvStartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (lower(text[i]) != lower(prefix[i])) return false;
  }
  return true;
}
