#include "cache/CacheClock.h"

std::optional<std::int64_t> CacheClock::systemBias() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (::localtime_r(&now, &local) == nullptr) return std::nullopt;
  return -static_cast<std::int64_t>(local.tm_gmtoff);
}
