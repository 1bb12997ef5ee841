#pragma once
// A byte sink over a file, buffered in 65,536-byte blocks: the topic files,
// the popup file and the intermediate page files are written through it.
// Writing never throws; the first failure is remembered with the system's
// reason and every later write is dropped.

#include <string>
#include <string_view>

#include "rtf/qvByteSink.h"

class qvFileSink : public qvByteSink {
 public:
  static constexpr std::size_t kBufferSize = 65536;

  // Creates (or truncates) `path`; check failed() / errorText() for the outcome.
  explicit qvFileSink(std::string path);
  // Closes the file if close() was not called; errors are then lost.
  ~qvFileSink() override;
  qvFileSink(const qvFileSink&) = delete;
  qvFileSink& operator=(const qvFileSink&) = delete;

  void writeBytes(std::string_view bytes) override;
  bool failed() const override { return !error_.empty(); }
  // "path (reason)" for the first failure, empty while all is well.
  const std::string& errorText() const { return error_; }
  // Writes the buffer out and closes the file; false when anything was lost.
  bool close();
  const std::string& path() const { return path_; }

 private:
  void flush();
  void fail(int error);

  std::string path_;
  int fd_ = -1;
  std::string buffer_;
  std::string error_;
};
