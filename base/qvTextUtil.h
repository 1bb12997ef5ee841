#pragma once
// Small text helpers of the parser. Pages are one byte per character
// (Windows-1252); case folding is ASCII only, as tag and attribute names are.

#include <string>
#include <string_view>

// ASCII lower case of `text`.
std::string qvLowerCase(std::string_view text);
// The same, over `text` itself (keeps its buffer).
void qvLowerCaseInPlace(std::string& text);
// `text` without leading and trailing characters up to blank (code <= 32).
std::string_view qvTrim(std::string_view text);
// True when `text` starts with `prefix`, ignoring ASCII case.
bool qvStartsWithNoCase(std::string_view text, std::string_view prefix);
