#include "cache/CacheMaintenanceThread.h"

#include <atomic>
#include <utility>

#include "ui/qvUserInterface.h"

CacheMaintenanceThread::CacheMaintenanceThread(qvUserInterface& ui, FigureSource figures, CommandRunner run,
                                               std::chrono::milliseconds period)
    : ui_(ui),
      figures_(std::move(figures)),
      run_(std::move(run)),
      period_(period),
      word_(ui.cacheCommandWord()),
      thread_([this](std::stop_token stop) { loop(stop); }) {}

CacheMaintenanceThread::~CacheMaintenanceThread() {
  thread_.request_stop();
  thread_.join();
}

int CacheMaintenanceThread::takeCommands(int* word) {
  if (word == nullptr) return 0;
  return std::atomic_ref<int>(*word).exchange(0);
}

void CacheMaintenanceThread::loop(std::stop_token stop) {
  while (!stop.stop_requested() && !ui_.shouldExit()) {
    {
      std::unique_lock lock(wakeMutex_);
      // Woken early only by the object's end.
      if (wake_.wait_for(lock, stop, period_, [] { return false; })) return;
      if (stop.stop_requested()) return;
    }
    const Figures now = figures_();
    ui_.setValues(1, now.entries, now.bytes, now.hits, now.misses);
    if (const int commands = takeCommands(word_); commands != 0) run_(commands);
  }
}
