#pragma once
// The If-Modified-Since line of a conditional request for an entry stored at
// `storedTime` (an index time: seconds since 1970 shifted by the time-zone
// bias, so that the local-time conversion gives GMT). Day and month names are
// English whatever the locale, as HTTP dates must be.
//
//   "If-Modified-Since: Sun, 06 Nov 1994 08:49:37 GMT\r\n"

#include <cstdint>
#include <string>

std::string conditionalLine(std::uint32_t storedTime);
