#include "cache/CacheDataNumbers.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "cache/CacheFormat.h"

CacheDataNumbers::CacheDataNumbers() : next_(static_cast<std::uint32_t>(std::time(nullptr)) << 6) {}

std::optional<std::uint32_t> CacheDataNumbers::claim(const std::string& directory) {
  // Numbers in use come in runs (an earlier run from the same seed, or a
  // process storing at the same time), so give up only after a long one.
  constexpr int kAttempts = 100000;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const std::uint32_t number = next_.fetch_add(1);
    if (number == 0) continue;
    const std::string path = directory + "/" + cacheformat::dataFileName(number);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      ::close(fd);
      return number;
    }
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}
