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

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class qvTagNameSet {
 public:
  // The names of `namePattern`, or nothing when it holds anything but
  // letters, digits, "-", "!", "|" and grouping parentheses.
  static std::optional<qvTagNameSet> fromPattern(std::string_view namePattern);

  // Length of the tag expression's match at `position` of `page` (which
  // holds "<" there), or 0 when it does not match.
  std::size_t matchAt(std::string_view page, std::size_t position) const;

  bool contains(std::string_view name) const;

 private:
  std::vector<std::string> names_;  // lower case
};
