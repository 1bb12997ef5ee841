#pragma once
// qvAgentPattern: the value of a robots file's user-agent line, matched
// against the robot name. Alternatives are separated by '|'; one of them has
// to cover the whole name. Within an alternative '?' stands for any one
// character, '*' for any run of characters (none included), and every other
// character for itself, letter case counting.
//
// The patterns come from servers we do not control, so matching never
// backtracks more than one star: a pattern of m characters against a name of
// n costs O(n * m) at worst, whatever the pattern holds.

#include <string_view>

class qvAgentPattern {
 public:
  qvAgentPattern() = delete;

  // True when any alternative of `pattern` matches all of `name`.
  static bool matches(std::string_view pattern, std::string_view name);

  // True when `alternative` (taken whole, '|' included) matches all of `name`.
  static bool matchesAlternative(std::string_view alternative, std::string_view name);
};
