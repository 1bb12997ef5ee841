#include "corvane2/qvTimeLimit.h"

#include <algorithm>
#include <cstdio>

bool qvTimeLimit::adjust(int seconds) { return setLimit(limit_ + seconds); }

bool qvTimeLimit::setLimit(int seconds) {
  limit_ = std::clamp(seconds, 0, kMaximum);
  if (limit_ == 0) {
    remaining_ = 0;
    return false;
  }
  remaining_ = limit_ - elapsed_;
  if (remaining_ > 0) return false;
  remaining_ = 0;
  return true;
}

void qvTimeLimit::startRun() {
  elapsed_ = 0;
  remaining_ = limit_;
}

bool qvTimeLimit::tick() {
  bool ranOut = false;
  if (remaining_ > 0) {
    --remaining_;
    ranOut = remaining_ == 0;
  }
  ++elapsed_;
  return ranOut;
}

std::string qvTimeLimit::limitText() const { return hoursMinutes(limit_); }
std::string qvTimeLimit::remainingText() const { return hoursMinutesSeconds(remaining_); }
std::string qvTimeLimit::elapsedText() const { return hoursMinutesSeconds(elapsed_); }

std::string qvTimeLimit::hoursMinutes(int seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%2dh %02dm", seconds / 3600, seconds / 60 % 60);
  return text;
}

std::string qvTimeLimit::hoursMinutesSeconds(int seconds) {
  char text[40];
  std::snprintf(text, sizeof text, "%2dh %02dm %02ds", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}
