#include "ui/qvPrintWriter.h"

#include <cerrno>
#include <cstring>

#include "ui/qvRuntimeException.h"

qvPrintWriter::qvPrintWriter(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {
  if (!file_) throw qvRuntimeException(path + " (" + std::strerror(errno) + ")");
}

void qvPrintWriter::writeLine(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!file_) return;
  std::fwrite(text.data(), 1, text.size(), file_.get());
  std::fwrite("\r\n", 1, 2, file_.get());
  std::fflush(file_.get());
}

void qvPrintWriter::close() {
  std::lock_guard<std::mutex> lock(mutex_);
  file_.reset();
}

bool qvPrintWriter::isOpen() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return file_ != nullptr;
}
