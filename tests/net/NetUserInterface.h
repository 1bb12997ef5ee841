#pragma once
// A user interface for network tests: time-out settings chosen by the test,
// a skip request (tcpGetStatus bit 0) given on a chosen poll, and a record
// of warnings and progress reports.

#include <chrono>
#include <string>
#include <vector>

#include "ui/qvUserInterface.h"
#include "ui/qvUserInterfaceCodes.h"

class NetUserInterface : public qvUserInterface {
 public:
  using Clock = std::chrono::steady_clock;

  int readWriteTimeout = 30;
  int lookupTimeout = 30;
  int connectTimeout = 20;
  bool exiting = false;
  std::vector<std::string> warnings;
  long lastReportedBytes = -1;
  int reports = 0;

  // The `poll`-th call of tcpGetStatus from now on returns the skip bit.
  void skipOnPoll(int poll) { skipAt_ = polls_ + poll; }
  // When the skip bit was handed out; unset until it was.
  Clock::time_point skipTime() const { return skipTime_; }
  int polls() const { return polls_; }

  int getValue(int index) override {
    switch (index) {
      case qvValueIndex::kReadWriteTimeout:
        return readWriteTimeout;
      case qvValueIndex::kLookupTimeout:
        return lookupTimeout;
      case qvValueIndex::kConnectTimeout:
        return connectTimeout;
      default:
        return 0;
    }
  }
  int tcpGetStatus() override {
    if (++polls_ != skipAt_) return 0;
    skipTime_ = Clock::now();
    return 0x1;
  }
  bool shouldExit() override { return exiting; }
  void showWarning(const std::string& text) override { warnings.push_back(text); }
  void setStatusNumbers(int, int, int, long bytes) override {
    lastReportedBytes = bytes;
    ++reports;
  }

 private:
  int polls_ = 0;
  int skipAt_ = -1;
  Clock::time_point skipTime_{};
};
