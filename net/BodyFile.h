#pragma once
// The working file a response body is written to, in blocks. A block that
// does not fit is taken back whole, so that the file never ends in part of
// a block and writing it again continues where the last whole block ended.

#include <cstddef>
#include <string>

#include "net/SocketHandle.h"

class BodyFile {
 public:
  // Creates `path` afresh (a file already there is let go, not emptied);
  // isOpen() says whether that worked.
  explicit BodyFile(const std::string& path);
  BodyFile(const BodyFile&) = delete;
  BodyFile& operator=(const BodyFile&) = delete;

  bool isOpen() const { return descriptor_.isOpen(); }
  // Writes all of the block, or leaves the file as it was before the call.
  bool writeBlock(const char* bytes, std::size_t length);
  // Bytes written so far.
  long long length() const { return length_; }
  void close() { descriptor_.close(); }

 private:
  // Any descriptor: SocketHandle only owns and closes it.
  SocketHandle descriptor_;
  long long length_ = 0;
};
