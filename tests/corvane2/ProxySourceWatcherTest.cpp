// The watcher the window uses: reads off the window thread, results handed
// back on it, refreshes folded together, and a safe end in the middle of a
// read. A slow stand-in for gsettings makes the reads take long enough to
// overlap.
#include <QCoreApplication>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "corvane2/qvProxySourceWatcher.h"
#include "tests/corvane2/ProxyTestHome.h"

namespace {

using Clock = std::chrono::steady_clock;

class ProxySourceWatcherTest : public ::testing::Test {
 protected:
  ProxySourceWatcherTest() : app_(argc_, argv_) {
    ProxyTestHome::set("http_proxy", "http://env.example:8888");
  }

  // Every read runs this gsettings once (the system source on a GNOME
  // desktop); it writes a line per run to `runs` and fails after `seconds`.
  void slowGsettings(const std::string& seconds) {
    ProxyTestHome::set("XDG_CURRENT_DESKTOP", "GNOME");
    home_.installProgram("gsettings", "echo run >> '" + runsFile() + "'\nsleep " + seconds + "\nexit 1\n");
  }
  std::string runsFile() const { return home_.dir() / "runs"; }
  int runs() const {
    const std::string text = TempDirectory::read(runsFile());
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  }

  // Runs the event loop until `done` or the bound.
  template <typename Done>
  bool processEventsUntil(Done done, std::chrono::milliseconds bound = std::chrono::seconds(10)) {
    const auto end = Clock::now() + bound;
    while (!done() && Clock::now() < end) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
  }

  ProxyTestHome home_;
  int argc_ = 1;
  char arg0_[8] = "tests";
  char* argv_[2] = {arg0_, nullptr};
  QCoreApplication app_;
};

}  // namespace

TEST_F(ProxySourceWatcherTest, RefreshDeliversSnapshotsOnTheWatchersThread) {
  qvProxySourceWatcher watcher(home_.registryPath());
  EXPECT_FALSE(watcher.latest().explorer);
  EXPECT_FALSE(watcher.waitForFirst(50));

  int notices = 0;
  std::thread::id signalThread;
  QObject::connect(&watcher, &qvProxySourceWatcher::snapshotChanged, [&] {
    ++notices;
    signalThread = std::this_thread::get_id();
  });
  watcher.refresh();
  ASSERT_TRUE(watcher.waitForFirst(5000));
  ASSERT_TRUE(watcher.latest().explorer);
  EXPECT_EQ(watcher.latest().explorer->host, "env.example");
  EXPECT_FALSE(watcher.latest().navigator);
  ASSERT_TRUE(processEventsUntil([&] { return notices == 1; }));
  EXPECT_EQ(signalThread, std::this_thread::get_id());

  // The same settings again: no signal; changed settings: one. The
  // environment changes only once no read runs.
  watcher.refresh();
  EXPECT_TRUE(processEventsUntil([&] { return !watcher.reading(); }));
  processEventsUntil([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_EQ(notices, 1);
  ProxyTestHome::set("http_proxy", "http://other.example:1");
  watcher.refresh();
  ASSERT_TRUE(processEventsUntil([&] { return notices == 2; }));
  EXPECT_EQ(watcher.latest().explorer->host, "other.example");
}

TEST_F(ProxySourceWatcherTest, RefreshesDuringAReadFoldIntoOne) {
  slowGsettings("0.4");
  qvProxySourceWatcher watcher(home_.registryPath());
  int notices = 0;
  QObject::connect(&watcher, &qvProxySourceWatcher::snapshotChanged, [&] { ++notices; });
  for (int i = 0; i < 5; ++i) watcher.refresh();
  // The first read is still running: the bounded wait gives up.
  EXPECT_FALSE(watcher.waitForFirst(100));
  EXPECT_TRUE(watcher.reading());
  ASSERT_TRUE(watcher.waitForFirst(5000));
  ASSERT_TRUE(processEventsUntil([&] { return runs() == 2 && notices == 1; }));
  // Nothing else is queued behind the folded read.
  processEventsUntil([] { return false; }, std::chrono::milliseconds(800));
  EXPECT_EQ(runs(), 2);
  EXPECT_EQ(watcher.latest().explorer->host, "env.example");
}

TEST_F(ProxySourceWatcherTest, DestroyedDuringAReadWaitsForItBoundedly) {
  slowGsettings("30");
  int notices = 0;
  auto watcher = std::make_unique<qvProxySourceWatcher>(home_.registryPath());
  QObject::connect(watcher.get(), &qvProxySourceWatcher::snapshotChanged, [&] { ++notices; });
  watcher->refresh();
  ASSERT_TRUE(processEventsUntil([&] { return runs() == 1; }));
  watcher->refresh();
  const auto start = Clock::now();
  watcher.reset();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  // The read's notification died with the watcher.
  processEventsUntil([] { return false; }, std::chrono::milliseconds(200));
  EXPECT_EQ(notices, 0);
  EXPECT_EQ(runs(), 1);
}
