#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace hcrtf::dump {

// Help-file text in the dump's stable form: printable ASCII as it is, a
// backslash and '<' (which opens the dump's markers) escaped with a
// backslash, every other byte as \xNN. The output is plain ASCII whatever
// the help file's code page.
std::string escapeText(std::string_view text);

// "0x" and eight upper-case hex digits.
std::string hex32(std::uint32_t value);

}  // namespace hcrtf::dump
