#include "ui/qvDebugLog.h"

#include <fcntl.h>
#include <unistd.h>
#include <cstring>

#include "base/qvDriverSettings.h"

qvDebugLog::qvDebugLog(const qvDriverSettings& settings, std::string path)
    : settings_(settings), path_(std::move(path)) {}

void qvDebugLog::checkpoint(int number) const {
  line("Debug : reached location " + std::to_string(number));
}

void qvDebugLog::line(const std::string& text) const {
  if (!settings_.fullDebug) return;
  append(path_, text);
}

void qvDebugLog::append(const std::string& path, const std::string& text, const char* lineEnd) {
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  std::string record = text + lineEnd;
  if (::lseek(fd, 0, SEEK_END) >= 0) {
    ssize_t ignored = ::write(fd, record.data(), record.size());
    (void)ignored;
  }
  ::close(fd);
}
