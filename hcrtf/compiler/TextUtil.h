#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hcrtf::compiler {

// Small text helpers shared by the project and topic readers.
std::string_view trim(std::string_view text);
std::string toLower(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);
bool startsWithIgnoreCase(std::string_view text, std::string_view prefix);
// Splits at `separator` outside double quotes and parentheses.
std::vector<std::string> splitTopLevel(std::string_view text, char separator);
// A decimal or 0x-prefixed hexadecimal integer, with optional sign; false
// when the whole text is not one or it does not fit in 32 bits.
bool parseInteger(std::string_view text, long long& value);

// The font character set (as in \fcharset and CHARSET=) that draws text of a
// Windows ANSI code page; 0 (ANSI) for 1252 and for code pages it does not know.
int charsetForCodePage(int codePage);

}  // namespace hcrtf::compiler
