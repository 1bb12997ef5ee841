#pragma once
// What the window does to the text of the URL box when the user leaves it.

#include <string>

namespace qvUrlText {

// `text` with "http://" in front when it is meant as a web address: longer
// than one character, no drive letter, no "\" and no "://", not an absolute
// path and not the name of an existing file or directory.
std::string completed(const std::string& text);

// Output location + "/" (unless it ends in one) + the name derived from `url`.
std::string derivedHelpFile(const std::string& location, const std::string& url);

}  // namespace qvUrlText
