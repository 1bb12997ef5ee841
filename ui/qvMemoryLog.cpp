#include "ui/qvMemoryLog.h"

#include <malloc.h>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <utility>

#include "base/qvDriverSettings.h"
#include "platform/qvSystemInfo.h"
#include "ui/qvDebugLog.h"

std::string qvFormatMemoryNumber(std::int64_t value) {
  bool negative = value < 0;
  // Work on the magnitude as unsigned so the smallest value does not overflow.
  std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  std::string digits = std::to_string(magnitude);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  if (negative) grouped.insert(grouped.begin(), '-');
  if (grouped.size() < 11) grouped.insert(0, 11 - grouped.size(), ' ');
  return grouped;
}

void qvWriteMemoryReport(const std::string& path) {
  static const char* const kLabels[] = {
      "Free heap memory            : ", "Total heap memory           : ",
      "Percent of memory in use    : ", "Bytes of physical memory    : ",
      "Free physical memory bytes  : ", "Bytes of paging file        : ",
      "Free bytes of paging file   : ", "User bytes of address space : ",
      "Free user bytes             : "};
  std::int64_t values[9] = {qvSystemInfo::heapFree(), qvSystemInfo::heapTotal()};
  for (int selector = 0; selector <= 6; ++selector) values[2 + selector] = qvSystemInfo::memoryStatus(selector);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (int i = 0; i < 9; ++i) out << kLabels[i] << qvFormatMemoryNumber(values[i]) << "\r\n";
}

std::string qvMemoryTraceLine(std::int64_t totalHeap, std::int64_t freePhysical, std::int64_t freeHeap,
                              int hours, int minutes, int seconds) {
  char time[16];
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", hours, minutes, seconds);
  return "T: " + qvFormatMemoryNumber(totalHeap) + "  FP: " + qvFormatMemoryNumber(freePhysical) +
         "  FV: " + qvFormatMemoryNumber(freeHeap) + " @ " + time;
}

void qvPeriodicThread::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  cv_.notify_all();
  if (thread_.joinable()) thread_.join();
}

qvMemDebugThread::qvMemDebugThread(std::string path, std::chrono::milliseconds interval)
    : path_(std::move(path)), lowest_(qvSystemInfo::heapFree()) {
  std::remove(path_.c_str());
  startTicking(interval, [this] { tick(); });
}

void qvMemDebugThread::tick() {
  ++counter_;
  std::int64_t freeHeap = qvSystemInfo::heapFree();
  if (freeHeap < lowest_) {
    lowest_ = freeHeap;
  } else if (counter_ % 300 != 0) {
    return;
  }
  std::time_t now = std::time(nullptr);
  struct tm local {};
  ::localtime_r(&now, &local);
  qvDebugLog::append(path_,
                     qvMemoryTraceLine(qvSystemInfo::heapTotal(), qvSystemInfo::memoryStatus(2), freeHeap,
                                       local.tm_hour, local.tm_min, local.tm_sec),
                     "\n");
}

qvGarbageThread::qvGarbageThread(const qvDriverSettings& settings, std::string path,
                                 std::chrono::milliseconds interval)
    : settings_(settings), path_(std::move(path)) {
  startTicking(interval, [this] { tick(); });
}

void qvGarbageThread::tick() {
  ++counter_;
  if (counter_ % 60 != 59) return;
  if (settings_.debug) qvWriteMemoryReport(path_);
  ::malloc_trim(0);
  if (settings_.debug) qvWriteMemoryReport(path_);
}
