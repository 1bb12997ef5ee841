#include "net/HeaderList.h"

namespace {

std::string_view cutAtLineEnd(std::string_view line) { return line.substr(0, line.find_first_of("\r\n")); }

char foldLetter(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithFolded(std::string_view text, std::string_view prefix) {
  if (prefix.size() > text.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (foldLetter(text[i]) != foldLetter(prefix[i])) return false;
  }
  return true;
}

std::string_view skipBlanks(std::string_view text) {
  const std::size_t start = text.find_first_not_of(" \t");
  return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

}  // namespace

bool HeaderList::add(std::string_view line) {
  if (line.empty() || line.front() == '\r' || line.front() == '\n') return false;
  if (lines_.size() >= kMaxLines) return false;
  lines_.emplace_back(cutAtLineEnd(line));
  return true;
}

bool HeaderList::continueLast(std::string_view text) {
  if (lines_.empty()) return false;
  const std::string_view rest = skipBlanks(cutAtLineEnd(text));
  if (rest.empty()) return true;
  std::string& last = lines_.back();
  while (!last.empty() && (last.back() == ' ' || last.back() == '\t')) last.pop_back();
  last += ' ';
  last += rest;
  return true;
}

std::optional<std::string> HeaderList::find(std::string_view name) const {
  for (const std::string& line : lines_) {
    if (startsWithFolded(line, name)) return std::string(skipBlanks(std::string_view(line).substr(name.size())));
  }
  return std::nullopt;
}
