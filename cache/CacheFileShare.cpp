#include "cache/CacheFileShare.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/qvFileDescriptor.h"

namespace {

bool copyAll(int from, int to) {
  std::vector<char> block(64 * 1024);
  for (;;) {
    const ssize_t got = ::read(from, block.data(), block.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    ssize_t done = 0;
    while (done < got) {
      const ssize_t written = ::write(to, block.data() + done, static_cast<std::size_t>(got - done));
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return false;
      done += written;
    }
  }
}

bool copyFile(const std::string& from, const std::string& to) {
  qvFileDescriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (!source.isOpen()) return false;
  qvFileDescriptor target(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (!target.isOpen()) return false;
  const bool copied = copyAll(source.get(), target.get());
  // A delayed write error shows at the close.
  if (target.close() && copied) return true;
  const int error = errno;
  ::unlink(to.c_str());
  errno = error;
  return false;
}

}  // namespace

bool shareFile(const std::string& from, const std::string& to) {
  if (::link(from.c_str(), to.c_str()) == 0) return true;
  // Only a file system without links to offer is worth a copy; a missing
  // source or a full directory would fail the copy the same way.
  if (errno != EXDEV && errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK) return false;
  return copyFile(from, to);
}
