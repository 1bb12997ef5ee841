#include "driver/qvFileSink.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

qvFileSink::qvFileSink(std::string path) : path_(std::move(path)) {
  fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) fail(errno);
  buffer_.reserve(kBufferSize);
}

qvFileSink::~qvFileSink() { close(); }

void qvFileSink::fail(int error) {
  if (error_.empty()) error_ = path_ + " (" + std::strerror(error) + ")";
}

void qvFileSink::writeBytes(std::string_view bytes) {
  if (failed()) return;
  if (buffer_.size() + bytes.size() > kBufferSize) flush();
  if (bytes.size() >= kBufferSize) {
    buffer_.assign(bytes);
    flush();
    return;
  }
  buffer_.append(bytes);
}

void qvFileSink::flush() {
  std::size_t written = 0;
  while (!failed() && written < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + written, buffer_.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) fail(errno);
    if (n > 0) written += static_cast<std::size_t>(n);
  }
  buffer_.clear();
}

bool qvFileSink::close() {
  if (fd_ < 0) return !failed();
  flush();
  if (::close(fd_) != 0) fail(errno);
  fd_ = -1;
  return !failed();
}
