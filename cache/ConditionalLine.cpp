#include "cache/ConditionalLine.h"

#include <cstdio>
#include <ctime>

std::string conditionalLine(std::uint32_t storedTime) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::time_t when = static_cast<std::time_t>(storedTime);
  std::tm parts{};
  if (localtime_r(&when, &parts) == nullptr) return {};
  if (parts.tm_wday < 0 || parts.tm_wday > 6 || parts.tm_mon < 0 || parts.tm_mon > 11) return {};
  char line[128];
  std::snprintf(line, sizeof line, "If-Modified-Since: %s, %02d %s %04d %02d:%02d:%02d GMT\r\n", kDays[parts.tm_wday],
                parts.tm_mday, kMonths[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour, parts.tm_min,
                parts.tm_sec);
  return line;
}
