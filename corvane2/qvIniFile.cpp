#include "corvane2/qvIniFile.h"

#include "base/qvTextUtil.h"

namespace {

// KDE writes immutability and expansion flags as "[$x]" after a name.
std::string_view withoutFlags(std::string_view name) {
  while (name.size() >= 4 && name.back() == ']') {
    size_t open = name.rfind("[$");
    if (open == std::string_view::npos || open == 0) break;
    name = qvTrim(name.substr(0, open));
  }
  return name;
}

}  // namespace

std::optional<std::string> qvIniFile::Section::value(std::string_view key) const {
  std::optional<std::string> found;
  for (const auto& [name, text] : entries) {
    if (name == key) found = text;
  }
  return found;
}

const qvIniFile::Section* qvIniFile::section(std::string_view name) const {
  for (const Section& candidate : sections_) {
    if (candidate.name == name) return &candidate;
  }
  return nullptr;
}

qvIniFile qvIniFile::parse(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  qvIniFile file;
  Section* current = nullptr;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = qvTrim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      if (close == std::string_view::npos) continue;
      // Flags such as "[$i]" may follow the name's own brackets.
      std::string_view name = withoutFlags(qvTrim(line.substr(1, close - 1)));
      file.sections_.push_back(Section{std::string(name), {}});
      current = &file.sections_.back();
      continue;
    }
    size_t equals = line.find('=');
    if (equals == std::string_view::npos || current == nullptr) continue;
    std::string_view key = withoutFlags(qvTrim(line.substr(0, equals)));
    if (key.empty()) continue;
    current->entries.emplace_back(std::string(key), std::string(qvTrim(line.substr(equals + 1))));
  }
  return file;
}
