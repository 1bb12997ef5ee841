#pragma once
// The one way the socket layer waits. A wait's budget is its time-out setting
// in ticks of 100 ms; while it runs, the user interface is asked for a skip
// (tcpGetStatus bit 0) or the end of the run (shouldExit) at least every
// 25 ms, so a cancel takes effect within that. Nothing here sleeps for a
// fixed time: a wait ends as soon as what it waits for is there.

#include <chrono>
#include <functional>
#include <optional>

class qvUserInterface;

class SocketWait {
 public:
  enum class Outcome { kReady, kTimedOut, kCancelled };
  using Clock = std::chrono::steady_clock;

  static constexpr std::chrono::milliseconds kTick{100};
  static constexpr std::chrono::milliseconds kCancelInterval{25};

  explicit SocketWait(qvUserInterface& ui) : ui_(ui) {}

  // True when the user asked to skip the transfer or the run is stopping.
  // Reads, and so clears, the user interface's network status bits.
  bool cancelRequested();

  // Waits until `fd` reports one of the poll(2) `events`, an error or a
  // hang-up. A budget of 0 seconds times out at once; so does a wait that
  // reaches `latest`, when given, before its budget is spent.
  Outcome forSocket(int fd, short events, int seconds, std::optional<Clock::time_point> latest = std::nullopt);

  // Waits until `waitSlice`, called with the longest time it may block,
  // returns true.
  Outcome until(const std::function<bool(std::chrono::milliseconds)>& waitSlice, int seconds,
                std::optional<Clock::time_point> latest = std::nullopt);

 private:
  qvUserInterface& ui_;
};
