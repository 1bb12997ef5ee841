#pragma once
// One compiled tag, attribute, entity or text-run expression. Every pattern
// of the parser is case-insensitive and is only ever matched anchored at a
// given position of the page, never searched for, so it is compiled
// anchored and with the JIT once per run.

#include <bitset>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

struct pcre2_real_code_8;
struct pcre2_real_match_data_8;

class qvPattern {
 public:
  // Whether group() is wanted after a match. A caller that needs only the
  // match length says so: parentheses then only group, and the matcher
  // keeps no captures, which makes long alternations several times faster.
  enum class Groups { kCaptured, kUnused };

  // Compiles `pattern`; on failure reports "Error parsing regular
  // expression." and "Error: " + the compiler's message to standard error and
  // leaves a pattern that never matches.
  explicit qvPattern(std::string_view pattern, Groups groups = Groups::kCaptured);
  ~qvPattern();
  qvPattern(const qvPattern&) = delete;
  qvPattern& operator=(const qvPattern&) = delete;

  bool valid() const { return code_ != nullptr; }
  // Length of the match that starts exactly at `position` of `text`, or -1.
  // Afterwards group() gives the captured parts of that match.
  long matchAt(std::string_view text, std::size_t position);
  // Captured group `n` of the last successful match; empty view when the
  // group did not take part (check hasGroup for the difference).
  std::string_view group(int n) const;
  bool hasGroup(int n) const;
  const std::string& source() const { return source_; }

  // The characters a match of `pattern` (case-insensitive) can begin with,
  // as far as the compiler can tell; every character when it cannot.
  static std::bitset<256> firstCharacters(std::string_view pattern);

 private:
  std::string source_;
  pcre2_real_code_8* code_ = nullptr;
  pcre2_real_match_data_8* matchData_ = nullptr;
  bool jitted_ = false;
  std::string_view subject_;
  int groups_ = 0;
};
