#pragma once
// The name of a URL's profile, the registry key that keeps the options last
// used with it. The window writes these keys and batch mode reads them, so
// both derive the name here.

#include <string>

namespace qvProfileName {

// The profile that serves URLs without one of their own.
inline constexpr const char* kDefault = "default";

// `url` with every "\" made "/" and every control character written as
// "%" and two hex digits: a line break in a key name (a dropped file's name
// can hold one) would make the registry file unreadable.
std::string of(const std::string& url);

}  // namespace qvProfileName
