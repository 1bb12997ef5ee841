#pragma once
// Owns one open file descriptor and closes it when it goes. close() says
// whether the close worked, which matters for a file just written: a
// delayed write error shows there.

#include <unistd.h>

class qvFileDescriptor {
 public:
  explicit qvFileDescriptor(int fd) : fd_(fd) {}
  qvFileDescriptor(const qvFileDescriptor&) = delete;
  qvFileDescriptor& operator=(const qvFileDescriptor&) = delete;
  ~qvFileDescriptor() { close(); }

  int get() const { return fd_; }
  bool isOpen() const { return fd_ >= 0; }
  // Closes now; false when there was nothing open or the close failed.
  bool close() {
    if (fd_ < 0) return false;
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};
