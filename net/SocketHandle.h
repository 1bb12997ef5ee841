#pragma once
// Owns one socket descriptor. Closing forgets the number at once, so a
// descriptor is never closed twice: by then the number may belong to a file
// another thread has opened.

#include <unistd.h>

class SocketHandle {
 public:
  SocketHandle() = default;
  explicit SocketHandle(int fd) : fd_(fd) {}
  SocketHandle(const SocketHandle&) = delete;
  SocketHandle& operator=(const SocketHandle&) = delete;
  ~SocketHandle() { close(); }

  int get() const { return fd_; }
  bool isOpen() const { return fd_ >= 0; }
  void reset(int fd) {
    close();
    fd_ = fd;
  }
  void close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};
