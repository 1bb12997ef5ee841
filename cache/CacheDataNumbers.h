#pragma once
// Hands out the numbers that name the cache's data files ("%08x.cvc"). The
// counter starts at the time shifted left by 6 bits, but a number is only
// handed out once its file has been created exclusively: a number another
// process (or an earlier run) already uses is skipped, so no two entries
// ever share a data file. 0 is never handed out; it stands for "no file".

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

class CacheDataNumbers {
 public:
  explicit CacheDataNumbers(std::uint32_t seed) : next_(seed) {}
  // Seeded from the current time.
  CacheDataNumbers();

  // Creates an empty data file with a fresh number in `directory` and returns
  // the number; none when no file could be created.
  std::optional<std::uint32_t> claim(const std::string& directory);

 private:
  std::atomic<std::uint32_t> next_;
};
