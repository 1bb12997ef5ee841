#pragma once
// Times in the cache index: seconds since 1970 plus the time-zone bias (the
// seconds to add to local time to reach UTC), so a stored time reads as
// local time. The bias is taken once, at engine start.

#include <cstdint>
#include <ctime>
#include <optional>

class CacheClock {
 public:
  explicit CacheClock(std::int64_t biasSeconds) : bias_(biasSeconds) {}
  // The bias of the system's time zone now; none when the zone is unknown.
  static std::optional<std::int64_t> systemBias();

  std::int64_t bias() const { return bias_; }
  // The current time as the index stores it.
  std::uint32_t now() const { return shifted(std::time(nullptr)); }
  std::uint32_t shifted(std::time_t time) const { return static_cast<std::uint32_t>(time + bias_); }

 private:
  std::int64_t bias_;
};
