#pragma once
// The memory diagnostics of the debug switch: "CorvaneMem.log", a trace
// written by qvMemDebugThread whenever free heap memory reaches a new low (and
// every 30 seconds anyway), and "MemDebug.txt", a nine-line report that
// qvGarbageThread rewrites once a minute around its clean-up of the heap.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

struct qvDriverSettings;

// `value` in decimal with "," between groups of three digits, padded on the
// left with blanks to 11 characters (longer numbers are not cut).
std::string qvFormatMemoryNumber(std::int64_t value);

// Rewrites `path` with the nine-line memory report.
void qvWriteMemoryReport(const std::string& path = "MemDebug.txt");

// One trace line: "T: " total heap, "  FP: " available physical memory,
// "  FV: " free heap, " @ " the time of day, then a line feed.
std::string qvMemoryTraceLine(std::int64_t totalHeap, std::int64_t freePhysical, std::int64_t freeHeap,
                              int hours, int minutes, int seconds);

// A thread that runs `tick` every `interval` until it is destroyed.
class qvPeriodicThread {
 public:
  qvPeriodicThread() = default;
  ~qvPeriodicThread() { stop(); }
  qvPeriodicThread(const qvPeriodicThread&) = delete;
  qvPeriodicThread& operator=(const qvPeriodicThread&) = delete;

  // Ticks finished so far: lets a caller wait for the thread to have looked,
  // instead of guessing how long that takes.
  long ticks() const { return ticks_.load(); }

 protected:
  // Starts the thread; `tick` is called after each interval has passed.
  template <typename Tick>
  void startTicking(std::chrono::milliseconds interval, Tick tick) {
    thread_ = std::thread([this, interval, tick]() mutable {
      std::unique_lock<std::mutex> lock(mutex_);
      while (!cv_.wait_for(lock, interval, [this] { return stopping_; })) {
        lock.unlock();
        tick();
        ++ticks_;
        lock.lock();
      }
    });
  }
  // Ends the thread and waits for it; safe to call twice.
  void stop();

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool stopping_ = false;
  std::atomic<long> ticks_{0};
  std::thread thread_;
};

// The memory-trace thread, started by the driver when the debug switch is on.
class qvMemDebugThread : public qvPeriodicThread {
 public:
  // Deletes `path` and starts tracing into it every `interval`.
  explicit qvMemDebugThread(std::string path = "CorvaneMem.log",
                            std::chrono::milliseconds interval = std::chrono::milliseconds(100));
  ~qvMemDebugThread() { stop(); }

 private:
  void tick();
  std::string path_;
  std::int64_t lowest_;
  long counter_ = 0;
};

// The memory-report thread, always running. Once a minute it returns unused
// heap memory to the system, with a report before and after when the debug
// switch is on.
class qvGarbageThread : public qvPeriodicThread {
 public:
  explicit qvGarbageThread(const qvDriverSettings& settings, std::string path = "MemDebug.txt",
                           std::chrono::milliseconds interval = std::chrono::milliseconds(1000));
  ~qvGarbageThread() { stop(); }

 private:
  void tick();
  const qvDriverSettings& settings_;
  std::string path_;
  long counter_ = 0;
};
