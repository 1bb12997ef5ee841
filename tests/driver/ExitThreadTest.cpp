// The exit watcher.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "driver/qvExitThread.h"
#include "ui/qvUserInterface.h"

namespace {

class ClosingUi : public qvUserInterface {
 public:
  bool shouldExit() override { return closing.load(); }
  int getToggles() override { return toggles; }
  void setStatusText(const std::string& text) override { status = text; }
  std::atomic<bool> closing{false};
  int toggles = 0;
  std::string status;
};

// Waits until `count()` reaches `value`, 10 s at most.
template <typename Count>
void waitFor(Count count, long value) {
  for (int i = 0; i < 5000 && count() < value; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  ASSERT_GE(count(), value) << "the watcher did not get there within 10 s";
}

TEST(ExitThread, ClosesTheLogAndCleansOnlyWhenSettingsWereLoaded) {
  for (int toggles : {0x20, 0x0}) {
    ClosingUi ui;
    ui.toggles = toggles;
    std::atomic<int> closed{0}, cleaned{0};
    qvExitThread watcher(ui, {[&] { ++closed; }, [&] { ++cleaned; }}, std::chrono::milliseconds(1));
    const auto ticks = [&] { return watcher.ticks(); };
    waitFor(ticks, 5);
    EXPECT_EQ(closed.load(), 0);  // nothing until the user closes
    ui.closing = true;
    waitFor([&] { return long{closed.load()}; }, 1);
    // Several more ticks with the window closing must not close the log again.
    waitFor(ticks, watcher.ticks() + 5);
    EXPECT_EQ(closed.load(), 1);
    EXPECT_EQ(watcher.exitsSeen(), 1);
    EXPECT_EQ(cleaned.load(), toggles ? 1 : 0);
    EXPECT_EQ(ui.status, toggles ? "Cleaning up temporary files " : "");
  }
}

}  // namespace
