#pragma once
// qvTagNameSet: the tag names of a class whose name pattern is a plain
// alternation of literal names, such as "((ul)|(li)|(ol))". Such a class's
// tag expression
//
//   </?[ \r\n\t]*NAME[ \r\n\t]*>   or   </?[ \r\n\t]*NAME[ \r\n\t]+[^>]*>
//
// (case-insensitive, anchored) matches exactly when the name that follows
// "<", an optional "/" and white space is one of the names, is followed by
// white space or ">", and a ">" comes after it; the match always ends at
// that first ">". This class decides it by a scan and a comparison, which
// is several times faster than running the expression and gives the same
// lengths; patterns that are not plain alternations keep the expression.
//
// The catch-all name pattern kAnyName ("a letter or '!', then anything up to
// white space or '>'") is a name set too: it holds every name that starts
// with a letter or "!".

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class qvTagNameSet {
 public:
  static constexpr const char* kAnyName = "[a-z!][^ \\t\\r\\n>]*";

  // The names of `namePattern`, or nothing when it is neither kAnyName nor
  // made of letters, digits, "-", "!", ranges such as "[1-6]", "|" and
  // grouping parentheses alone.
  static std::optional<qvTagNameSet> fromPattern(std::string_view namePattern);

  // Length of the tag expression's match at `position` of `page` (which
  // holds "<" there), or 0 when it does not match.
  std::size_t matchAt(std::string_view page, std::size_t position) const;

  bool contains(std::string_view name) const;

 private:
  // Lower-case names by length (the last list holds every longer name):
  // a name is compared only with the names as long as it.
  static constexpr std::size_t kLengthLists = 16;
  std::array<std::vector<std::string>, kLengthLists> names_;
  bool anyName_ = false;
};
