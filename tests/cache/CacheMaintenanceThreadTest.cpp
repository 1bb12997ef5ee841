#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "cache/CacheMaintenanceThread.h"
#include "ui/qvUserInterface.h"

namespace {

using namespace std::chrono_literals;

class CommandWordInterface : public qvUserInterface {
 public:
  int* cacheCommandWord() override { return &word; }
  bool shouldExit() override { return exiting.load(); }
  void setValues(int kind, std::intptr_t a, int b, int c, int d) override {
    std::lock_guard lock(mutex);
    reports.push_back({kind, static_cast<int>(a), b, c, d});
  }
  std::vector<std::vector<int>> reportsSoFar() {
    std::lock_guard lock(mutex);
    return reports;
  }

  alignas(int) int word = 0;
  std::atomic<bool> exiting{false};
  std::mutex mutex;
  std::vector<std::vector<int>> reports;
};

// Waits for `done` at most two seconds.
template <typename Condition>
bool eventually(Condition done) {
  const auto end = std::chrono::steady_clock::now() + 2s;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

CacheMaintenanceThread::Figures sampleFigures() { return {3, 4000, 7, 2}; }

}  // namespace

TEST(CacheMaintenanceThread, ReportsTheFiguresAndRunsEachPostedWordOnce) {
  CommandWordInterface ui;
  std::mutex mutex;
  std::vector<int> runs;
  {
    CacheMaintenanceThread thread(ui, sampleFigures, [&](int commands) {
      std::lock_guard lock(mutex);
      runs.push_back(commands);
    }, 5ms);
    ASSERT_TRUE(eventually([&] { return !ui.reportsSoFar().empty(); }));
    EXPECT_EQ(ui.reportsSoFar().front(), (std::vector<int>{1, 3, 4000, 7, 2}));
    std::atomic_ref<int>(ui.word).fetch_or(CacheCommand::kRebuild | CacheCommand::kValidate);
    ASSERT_TRUE(eventually([&] { return std::atomic_ref<int>(ui.word).load() == 0; }));
    ASSERT_TRUE(eventually([&] {
      std::lock_guard lock(mutex);
      return !runs.empty();
    }));
  }
  EXPECT_EQ(runs, (std::vector<int>{CacheCommand::kRebuild | CacheCommand::kValidate}));
}

TEST(CacheMaintenanceThread, NoCommandPostedWhileOthersAreTakenIsLost) {
  CommandWordInterface ui;
  std::atomic<int> dumps{0};
  int posted = 0;
  {
    CacheMaintenanceThread thread(ui, sampleFigures, [&](int commands) {
      if (commands & CacheCommand::kDump) dumps.fetch_add(1);
    }, 1ms);
    std::atomic_ref<int> word(ui.word);
    for (int i = 0; i < 200; ++i) {
      word.fetch_or(CacheCommand::kDump);
      ++posted;
      ASSERT_TRUE(eventually([&] { return word.load() == 0; }));
      // Another bit arrives while the dump is being taken.
      word.fetch_or(CacheCommand::kValidate);
    }
    ASSERT_TRUE(eventually([&] { return dumps.load() == posted; }));
  }
  EXPECT_EQ(dumps.load(), posted);
}

TEST(CacheMaintenanceThread, EndsOnExitAndWithoutWaitingForTheNextPeriod) {
  CommandWordInterface ui;
  const auto start = std::chrono::steady_clock::now();
  {
    CacheMaintenanceThread thread(ui, sampleFigures, [](int) {}, 60s);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);

  std::atomic<int> runs{0};
  CacheMaintenanceThread thread(ui, sampleFigures, [&](int) { runs.fetch_add(1); }, 1ms);
  ui.exiting = true;
  std::this_thread::sleep_for(20ms);
  std::atomic_ref<int>(ui.word).store(CacheCommand::kClear);
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(runs.load(), 0);
  EXPECT_EQ(CacheMaintenanceThread::takeCommands(nullptr), 0);
}
