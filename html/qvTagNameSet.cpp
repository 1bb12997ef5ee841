#include "html/qvTagNameSet.h"

#include <algorithm>

namespace {

bool isTagSpace(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; }

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool isLiteralNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '!';
}

}  // namespace

std::optional<qvTagNameSet> qvTagNameSet::fromPattern(std::string_view namePattern) {
  qvTagNameSet set;
  if (namePattern == kAnyName) {
    set.anyName_ = true;
    return set;
  }
  std::string current;
  for (const char c : namePattern) {
    if (c == '(' || c == ')') continue;
    if (c == '|') {
      if (current.empty()) return std::nullopt;
      set.names_.push_back(std::move(current));
      current.clear();
      continue;
    }
    const char lower = lowerAscii(c);
    if (!isLiteralNameChar(lower)) return std::nullopt;
    current += lower;
  }
  if (current.empty()) return std::nullopt;
  set.names_.push_back(std::move(current));
  return set;
}

bool qvTagNameSet::contains(std::string_view name) const {
  if (anyName_) {
    const char first = lowerAscii(name.empty() ? '\0' : name.front());
    return (first >= 'a' && first <= 'z') || first == '!';
  }
  return std::any_of(names_.begin(), names_.end(), [name](const std::string& known) {
    if (known.size() != name.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
      if (lowerAscii(name[i]) != known[i]) return false;
    }
    return true;
  });
}

std::size_t qvTagNameSet::matchAt(std::string_view page, std::size_t position) const {
  if (position >= page.size() || page[position] != '<') return 0;
  std::size_t at = position + 1;
  if (at < page.size() && page[at] == '/') ++at;
  while (at < page.size() && isTagSpace(page[at])) ++at;
  const std::size_t nameStart = at;
  while (at < page.size() && !isTagSpace(page[at]) && page[at] != '>') ++at;
  if (at == nameStart || at >= page.size() || !contains(page.substr(nameStart, at - nameStart))) return 0;
  const std::size_t close = page.find('>', at);
  return close == std::string_view::npos ? 0 : close + 1 - position;
}
