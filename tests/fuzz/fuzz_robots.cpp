// Feeds arbitrary robots files to the rules parser. The input's first line
// is the robot name, the rest the file. Besides not crashing: every prefix
// found was the value of some disallow line, none is found unless some
// user-agent line of the file matches the name, and the agent matcher
// agrees with a plain table-filling matcher on every user-agent value
// (which also keeps the matcher honest about cost: a slow one times out).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/qvTextUtil.h"
#include "url/qvAgentPattern.h"
#include "url/qvRobotsRules.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

// Whole-name wildcard match by dynamic programming over (pattern, name)
// positions; slow but obviously right.
bool referenceMatch(std::string_view pattern, std::string_view name) {
  std::vector<char> row(name.size() + 1, 0);
  row[0] = 1;
  for (const char p : pattern) {
    std::vector<char> next(name.size() + 1, 0);
    if (p == '*') {
      next[0] = row[0];
      for (std::size_t n = 1; n <= name.size(); ++n) next[n] = row[n] || next[n - 1];
    } else {
      for (std::size_t n = 1; n <= name.size(); ++n) next[n] = row[n - 1] && (p == '?' || p == name[n - 1]);
    }
    row.swap(next);
  }
  return row[name.size()] != 0;
}

bool referenceMatchAny(std::string_view pattern, std::string_view name) {
  for (;;) {
    const std::size_t bar = pattern.find('|');
    if (referenceMatch(pattern.substr(0, bar), name)) return true;
    if (bar == std::string_view::npos) return false;
    pattern.remove_prefix(bar + 1);
  }
}

std::vector<std::string_view> lines(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    out.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

std::string_view withoutComment(std::string_view line) {
  return qvTrim(line.substr(0, line.find('#')));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t nameEnd = std::min(input.find('\n'), input.size());
  const std::string_view name = input.substr(0, nameEnd);
  const std::string_view file = input.substr(std::min(nameEnd + 1, input.size()));

  const std::vector<std::string> prefixes = qvRobotsRules::parse(file, name);

  bool anyAgentMatches = false;
  std::vector<std::string_view> disallowValues;
  for (const std::string_view raw : lines(file)) {
    const std::string_view line = withoutComment(raw);
    if (qvStartsWithNoCase(line, "user-agent:")) {
      const std::string_view pattern = qvTrim(line.substr(11));
      const bool matches = qvAgentPattern::matches(pattern, name);
      check(matches == referenceMatchAny(pattern, name));
      anyAgentMatches = anyAgentMatches || matches;
    } else if (qvStartsWithNoCase(line, "disallow:")) {
      disallowValues.push_back(qvTrim(line.substr(9)));
    }
  }

  check(prefixes.empty() || anyAgentMatches);
  check(prefixes.size() <= disallowValues.size());
  for (const std::string& prefix : prefixes) {
    check(!prefix.empty() && prefix.find_first_of("\r\n#") == std::string::npos);
    bool found = false;
    for (const std::string_view value : disallowValues) found = found || value == prefix;
    check(found);
  }
  return 0;
}
