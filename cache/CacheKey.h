#pragma once
// The cache's canonical form of a URL and its hash.

#include <cstdint>
#include <string>
#include <string_view>

// The key of `url`: an "http://" prefix in any case and the host and port up
// to the first "/" in lower case, and every "%" followed by two hex digits
// replaced by the byte they encode. Keys are bytes (a "%00" gives a zero).
std::string cacheKey(std::string_view url);

// CRC-32 of the key's bytes: polynomial 0x04C11DB7, most significant bit
// first, initial value 0, the result inverted.
std::uint32_t cacheHash(std::string_view key);
