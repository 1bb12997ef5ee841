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
  bool shouldExit() override {
    ++asked;
    return closing.load();
  }
  int getToggles() override { return toggles; }
  void setStatusText(const std::string& text) override { status = text; }
  std::atomic<bool> closing{false};
  std::atomic<int> asked{0};  // how often the watcher looked
  int toggles = 0;
  std::string status;
};

// Waits until `counter` reaches `value`, 10 s at most.
void waitFor(const std::atomic<int>& counter, int value) {
  for (int i = 0; i < 5000 && counter.load() < value; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  ASSERT_GE(counter.load(), value) << "the watcher did not get there within 10 s";
}

TEST(ExitThread, ClosesTheLogAndCleansOnlyWhenSettingsWereLoaded) {
  for (int toggles : {0x20, 0x0}) {
    ClosingUi ui;
    ui.toggles = toggles;
    std::atomic<int> closed{0}, cleaned{0};
    qvExitThread watcher(ui, {[&] { ++closed; }, [&] { ++cleaned; }}, std::chrono::milliseconds(1));
    waitFor(ui.asked, 5);
    EXPECT_EQ(closed.load(), 0);  // nothing until the user closes
    ui.closing = true;
    waitFor(closed, 1);
    // Several more looks at the closing window must not close the log again.
    waitFor(ui.asked, ui.asked.load() + 5);
    EXPECT_EQ(closed.load(), 1);
    EXPECT_EQ(watcher.exitsSeen(), 1);
    EXPECT_EQ(cleaned.load(), toggles ? 1 : 0);
    EXPECT_EQ(ui.status, toggles ? "Cleaning up temporary files " : "");
  }
}

}  // namespace
