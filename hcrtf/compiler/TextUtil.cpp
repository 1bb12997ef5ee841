#include "hcrtf/compiler/TextUtil.h"

#include <array>
#include <cctype>

namespace hcrtf::compiler {

std::string_view trim(std::string_view text) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string toLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && toLower(a) == toLower(b);
}

bool startsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

std::vector<std::string> splitTopLevel(std::string_view text, char separator) {
  std::vector<std::string> parts;
  std::string current;
  bool quoted = false;
  int depth = 0;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (!quoted && c == '(') ++depth;
    if (!quoted && c == ')' && depth > 0) --depth;
    if (c == separator && !quoted && depth == 0) {
      parts.push_back(current);
      current.clear();
      continue;
    }
    current += c;
  }
  parts.push_back(current);
  return parts;
}

bool parseInteger(std::string_view text, long long& value) {
  text = trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 12) return false;
  long long result = 0;
  for (char c : text) {
    const int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                      : (base == 16 && std::isxdigit(static_cast<unsigned char>(c)))
                          ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                          : -1;
    if (digit < 0) return false;
    result = result * base + digit;
  }
  if (result > 0xFFFFFFFFLL) return false;
  value = negative ? -result : result;
  return true;
}

int charsetForCodePage(int codePage) {
  static const std::array<std::pair<int, int>, 13> table = {{{1250, 238}, {1251, 204}, {1253, 161}, {1254, 162},
      {1255, 177}, {1256, 178}, {1257, 186}, {1258, 163}, {874, 222}, {932, 128}, {936, 134}, {949, 129}, {950, 136}}};
  for (const auto& [page, charset] : table) {
    if (page == codePage) return charset;
  }
  return 0;
}

}  // namespace hcrtf::compiler
