#pragma once
// The run-time limit of the Options page and the two clocks of a run. The
// limit moves in steps of an hour or five minutes between 0 (no limit) and
// 99 hours; when a limit is set and the time left reaches 0, the run is told
// to stop fetching, exactly as if "&Enough" had been pressed.

#include <string>

class qvTimeLimit {
 public:
  static constexpr int kMaximum = 99 * 3600;
  static constexpr int kHourStep = 3600;
  static constexpr int kMinuteStep = 300;

  int limit() const { return limit_; }
  int elapsed() const { return elapsed_; }
  int remaining() const { return remaining_; }
  bool hasLimit() const { return limit_ > 0; }

  // Moves the limit by `seconds`, clamped. True when the new limit is
  // already used up by the time elapsed (the run has to stop).
  bool adjust(int seconds);
  // Sets the limit outright (settings being loaded); clamped like adjust.
  bool setLimit(int seconds);

  // A run starts: nothing elapsed, the whole limit left.
  void startRun();
  // The clocks are cleared when the window goes idle.
  void resetElapsed() { elapsed_ = 0; }

  // One second of a run. True when the time left has just run out.
  bool tick();

  // "%2dh %02dm" of the limit, for the limit field.
  std::string limitText() const;
  // "%2dh %02dm %02ds" of the time left and the time elapsed.
  std::string remainingText() const;
  std::string elapsedText() const;

  static std::string hoursMinutes(int seconds);
  static std::string hoursMinutesSeconds(int seconds);

 private:
  int limit_ = 0;
  int elapsed_ = 0;
  int remaining_ = 0;
};
