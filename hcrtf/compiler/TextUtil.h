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

}  // namespace hcrtf::compiler
