#pragma once

#include <cstdint>
#include <string_view>

namespace hcrtf {

// The hash that help files store in place of a context string: |CONTEXT keys,
// jump and popup hotspot targets, |Rose keys. Viewers recompute it from the
// name given to JumpId and friends, so compiler and reader must agree on it
// bit for bit. The arithmetic wraps at 32 bits; the result is read as signed,
// which is also the order |CONTEXT sorts its keys in.
//
// Each byte maps through a fixed 256-entry table (some entries are negative),
// then hash = hash * 43 + table[byte]. For the characters every compiler
// accepts in context strings (0-9, A-Z, a-z, '.', '_') the table agrees with
// what any viewer computes; letters are case-insensitive. The empty string
// hashes to 1, not 0.
std::int32_t helpHash(std::string_view contextString);

// True when every character of contextString is one whose hash value no
// viewer disagrees on (see above), and the string is not empty. A compiler
// can warn about names outside this set.
bool isPortableContextString(std::string_view contextString);

}  // namespace hcrtf
