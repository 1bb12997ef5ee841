#include "corvane2/qvGsettingsOutput.h"

#include "base/qvTextUtil.h"

namespace {

// Drops a type annotation such as "uint32 " or "@as ".
std::string_view withoutType(std::string_view value) {
  value = qvTrim(value);
  static constexpr std::string_view kTypes[] = {"byte",  "int16",  "uint16", "int32", "uint32",
                                                "int64", "uint64", "handle", "double"};
  for (std::string_view type : kTypes) {
    if (value.substr(0, type.size()) == type && value.size() > type.size() &&
        (value[type.size()] == ' ' || value[type.size()] == '\t')) {
      return qvTrim(value.substr(type.size()));
    }
  }
  if (!value.empty() && value.front() == '@') {
    size_t blank = value.find_first_of(" \t");
    return blank == std::string_view::npos ? std::string_view() : qvTrim(value.substr(blank));
  }
  return value;
}

// Reads one quoted string at `pos`; GVariant text escapes are those of C.
bool quoted(std::string_view text, size_t& pos, std::string& out) {
  if (pos >= text.size() || (text[pos] != '\'' && text[pos] != '"')) return false;
  const char quote = text[pos++];
  out.clear();
  while (pos < text.size()) {
    char c = text[pos++];
    if (c == quote) return true;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (pos >= text.size()) return false;
    char e = text[pos++];
    switch (e) {
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case 'a': out += '\a'; break;
      case 'b': out += '\b'; break;
      case 'f': out += '\f'; break;
      case 'v': out += '\v'; break;
      default: out += e; break;  // \\ \' \" and anything else stand for themselves
    }
  }
  return false;
}

}  // namespace

std::optional<std::string> qvGsettingsOutput::toString(std::string_view value) {
  value = qvTrim(value);
  std::string out;
  size_t pos = 0;
  if (!quoted(value, pos, out) || pos != value.size()) return std::nullopt;
  return out;
}

std::optional<std::int64_t> qvGsettingsOutput::toInteger(std::string_view value) {
  value = withoutType(value);
  bool negative = !value.empty() && value.front() == '-';
  if (negative) value.remove_prefix(1);
  if (value.empty() || value.size() > 18) return std::nullopt;
  std::int64_t n = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return negative ? -n : n;
}

std::optional<std::vector<std::string>> qvGsettingsOutput::toStringList(std::string_view value) {
  value = withoutType(value);
  if (value.size() < 2 || value.front() != '[' || value.back() != ']') return std::nullopt;
  std::string_view inner = value.substr(1, value.size() - 2);
  std::vector<std::string> items;
  size_t pos = 0;
  while (true) {
    while (pos < inner.size() && (inner[pos] == ' ' || inner[pos] == '\t')) ++pos;
    if (pos >= inner.size()) return items.empty() ? std::optional(items) : std::nullopt;
    std::string item;
    if (!quoted(inner, pos, item)) return std::nullopt;
    items.push_back(std::move(item));
    while (pos < inner.size() && (inner[pos] == ' ' || inner[pos] == '\t')) ++pos;
    if (pos >= inner.size()) return items;
    if (inner[pos++] != ',') return std::nullopt;
  }
}
