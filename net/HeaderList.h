#pragma once
// The header lines of one HTTP response, as received: at most 64 of them,
// each kept without anything from its first CR or LF on. Lookups are by
// name with its colon ("Content-Length:"), letter case ignored.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class HeaderList {
 public:
  static constexpr std::size_t kMaxLines = 64;

  // Adds `line` cut at its first CR and first LF. A line that begins with
  // CR or LF, or any line past the 64th, is not added; false then.
  bool add(std::string_view line);
  // Appends a folded continuation to the last line, one blank between.
  // False (nothing changed) when there is no line yet.
  bool continueLast(std::string_view text);

  // The value of the first line whose start equals `name` (a to z folded):
  // the rest of the line after blanks and tabs. None when no line matches.
  std::optional<std::string> find(std::string_view name) const;

  std::size_t size() const { return lines_.size(); }
  const std::string& line(std::size_t index) const { return lines_[index]; }
  void clear() { lines_.clear(); }

 private:
  std::vector<std::string> lines_;
};
