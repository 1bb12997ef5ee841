#pragma once
// qvURLText: the byte-wise text checks the URL classes share. The blanks
// trimmed are every byte up to the space: attribute values carry tabs and
// line breaks around a URL as often as spaces.

#include <string>
#include <string_view>

class qvURLText {
 public:
  qvURLText() = delete;

  // `text` lower-cased byte by byte.
  static std::string lowerCase(std::string_view text);
  // `text` begins with the lower-case `prefix`, compared without case.
  static bool startsWithNoCase(std::string_view text, std::string_view prefix);
  // `text` without the control characters and blanks at either end.
  static std::string_view trimmed(std::string_view text);
};
