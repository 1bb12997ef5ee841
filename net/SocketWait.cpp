#include "net/SocketWait.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

#include "ui/qvUserInterface.h"

namespace {
constexpr int kSkipBit = 0x1;
}

bool SocketWait::cancelRequested() {
  // Both are asked every time: reading the status bits is what clears them.
  const bool skip = (ui_.tcpGetStatus() & kSkipBit) != 0;
  return ui_.shouldExit() || skip;
}

SocketWait::Outcome SocketWait::forSocket(int fd, short events, int seconds, std::optional<Clock::time_point> latest) {
  return until(
      [fd, events](std::chrono::milliseconds slice) {
        pollfd entry{fd, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(slice.count()));
        // A failed poll (EINTR aside) is reported as ready: the operation
        // that is tried again then fails with the socket's own error.
        return ready > 0 || (ready < 0 && errno != EINTR);
      },
      seconds, latest);
}

SocketWait::Outcome SocketWait::until(const std::function<bool(std::chrono::milliseconds)>& waitSlice,
                                      int seconds, std::optional<Clock::time_point> latest) {
  const long long ticks = std::max(seconds, 0) * 10LL;
  Clock::time_point deadline = Clock::now() + ticks * kTick;
  if (latest) deadline = std::min(deadline, *latest);
  for (;;) {
    const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (remaining.count() <= 0) return Outcome::kTimedOut;
    if (waitSlice(std::min(remaining, kCancelInterval))) return Outcome::kReady;
    if (cancelRequested()) return Outcome::kCancelled;
  }
}
