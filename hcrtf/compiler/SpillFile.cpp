#include "hcrtf/compiler/SpillFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace hcrtf::compiler {

namespace {
int openUnlinked(const std::filesystem::path& folder) {
  std::string name = (folder.empty() ? std::filesystem::path(".") : folder) / ".hcrtf-spill-XXXXXX";
  std::vector<char> pattern(name.begin(), name.end());
  pattern.push_back('\0');
  const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (fd >= 0) ::unlink(pattern.data());
  return fd;
}

std::runtime_error diskError(const char* what) {
  return std::runtime_error(std::string("cannot ") + what + " the compiler's scratch file: " + std::strerror(errno));
}
}  // namespace

SpillFile::SpillFile(const std::filesystem::path& folder) {
  fd_ = openUnlinked(folder);
  if (fd_ < 0) {
    const char* tmp = std::getenv("TMPDIR");
    fd_ = openUnlinked(tmp && *tmp ? tmp : "/tmp");
  }
  if (fd_ < 0) throw diskError("create");
}

SpillFile::~SpillFile() { ::close(fd_); }

void SpillFile::append(std::span<const std::uint8_t> bytes) {
  writeAt(size_, bytes);
}

void SpillFile::writeAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw diskError("write");
    done += static_cast<std::size_t>(n);
  }
  if (offset + bytes.size() > size_) size_ = offset + bytes.size();
}

void SpillFile::readAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw diskError("read");
    if (n == 0) throw std::runtime_error("the compiler's scratch file is shorter than written");
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace hcrtf::compiler
