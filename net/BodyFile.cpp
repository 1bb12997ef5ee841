#include "net/BodyFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

// The last body may still be a name of a cache entry's file: it is let go,
// never truncated.
int createAnew(const std::string& path) {
  ::unlink(path.c_str());
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

}  // namespace

BodyFile::BodyFile(const std::string& path) : descriptor_(createAnew(path)) {}

bool BodyFile::writeBlock(const char* bytes, std::size_t length) {
  std::size_t done = 0;
  while (done < length) {
    const ssize_t written = ::write(descriptor_.get(), bytes + done, length - done);
    if (written > 0) {
      done += static_cast<std::size_t>(written);
      continue;
    }
    if (written < 0 && errno == EINTR) continue;
    // Take back the part that did fit, so a retry starts from a whole block.
    if (::ftruncate(descriptor_.get(), static_cast<off_t>(length_)) != 0 ||
        ::lseek(descriptor_.get(), static_cast<off_t>(length_), SEEK_SET) < 0) {
      descriptor_.close();
    }
    return false;
  }
  length_ += static_cast<long long>(length);
  return true;
}
