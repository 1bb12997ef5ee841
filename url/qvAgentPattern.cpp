#include "url/qvAgentPattern.h"

#include <cstddef>

bool qvAgentPattern::matches(std::string_view pattern, std::string_view name) {
  for (;;) {
    const std::size_t bar = pattern.find('|');
    if (matchesAlternative(pattern.substr(0, bar), name)) return true;
    if (bar == std::string_view::npos) return false;
    pattern.remove_prefix(bar + 1);
  }
}

// Only the latest star needs a way back: whatever an earlier star could
// absorb, the latest one can absorb as well, because the text between them
// has already been matched as early as it can be.
bool qvAgentPattern::matchesAlternative(std::string_view alternative, std::string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starAt = std::string_view::npos;
  std::size_t resumeAt = 0;
  while (n < name.size()) {
    if (p < alternative.size() && alternative[p] == '*') {
      starAt = p++;
      resumeAt = n;
    } else if (p < alternative.size() && (alternative[p] == '?' || alternative[p] == name[n])) {
      ++p;
      ++n;
    } else if (starAt != std::string_view::npos) {
      p = starAt + 1;
      n = ++resumeAt;
    } else {
      return false;
    }
  }
  while (p < alternative.size() && alternative[p] == '*') ++p;
  return p == alternative.size();
}
