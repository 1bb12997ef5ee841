#include "html/qvTagNameSet.h"

#include <algorithm>

namespace {

bool isTagSpace(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; }

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool isLiteralNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '!';
}

// Appends the names one alternative stands for: literal characters and
// ranges such as "[1-6]" (each range multiplies the names). False when the
// alternative holds anything else.
bool expandAlternative(std::string_view alternative, std::vector<std::string>& names) {
  std::vector<std::string> expanded{std::string()};
  for (std::size_t i = 0; i < alternative.size(); ++i) {
    const char c = lowerAscii(alternative[i]);
    if (isLiteralNameChar(c)) {
      for (std::string& name : expanded) name += c;
      continue;
    }
    if (c != '[' || i + 4 >= alternative.size() || alternative[i + 2] != '-' || alternative[i + 4] != ']') return false;
    const char from = lowerAscii(alternative[i + 1]);
    const char to = lowerAscii(alternative[i + 3]);
    if (!isLiteralNameChar(from) || !isLiteralNameChar(to) || from > to || to - from > 25) return false;
    std::vector<std::string> next;
    for (const std::string& name : expanded) {
      for (char r = from; r <= to; ++r) next.push_back(name + r);
    }
    expanded = std::move(next);
    i += 4;
  }
  if (expanded.front().empty()) return false;
  names.insert(names.end(), expanded.begin(), expanded.end());
  return true;
}

}  // namespace

std::optional<qvTagNameSet> qvTagNameSet::fromPattern(std::string_view namePattern) {
  qvTagNameSet set;
  if (namePattern == kAnyName) {
    set.anyName_ = true;
    return set;
  }
  std::vector<std::string> names;
  std::string current;
  for (const char c : namePattern) {
    if (c == '(' || c == ')') continue;
    if (c != '|') {
      current += c;
      continue;
    }
    if (!expandAlternative(current, names)) return std::nullopt;
    current.clear();
  }
  if (!expandAlternative(current, names)) return std::nullopt;
  for (std::string& name : names) set.names_[std::min(name.size(), kLengthLists - 1)].push_back(std::move(name));
  return set;
}

bool qvTagNameSet::contains(std::string_view name) const {
  if (anyName_) {
    const char first = lowerAscii(name.empty() ? '\0' : name.front());
    return (first >= 'a' && first <= 'z') || first == '!';
  }
  const std::vector<std::string>& sameLength = names_[std::min(name.size(), kLengthLists - 1)];
  return std::any_of(sameLength.begin(), sameLength.end(), [name](const std::string& known) {
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
