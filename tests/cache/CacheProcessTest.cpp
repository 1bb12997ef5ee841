#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <thread>

#include "cache/CacheIndex.h"
#include "cache/CacheKey.h"
#include "tests/cache/CacheTestSupport.h"
#include "tests/support/TempDirectory.h"

namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr int kKills = 50;
#else
constexpr int kKills = 500;
#endif

pid_t startWorker(const std::vector<std::string>& args) {
  std::vector<std::string> all{CACHE_WORKER};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& arg : all) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  return pid;
}

// The exit status, or -1 when the worker had to be killed after `seconds`.
int waitWorker(pid_t pid, int seconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > until) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string keyOf(long number) { return cacheKey("http://Shared.Example/page%41" + std::to_string(number)); }

int dataFiles(const std::string& directory) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(directory)) count += entry.path().extension() == ".cvc";
  return count;
}

TEST(CacheProcesses, TwoProcessesShareTwoThousandKeys) {
  TempDirectory work;
  TestMutexName name;
  const std::string directory = work / "Cache";
  constexpr long kKeys = 2000;
  const pid_t a = startWorker({directory, name.name(), "share", "A", std::to_string(kKeys)});
  const pid_t b = startWorker({directory, name.name(), "share", "B", std::to_string(kKeys)});
  EXPECT_EQ(waitWorker(a, 200), 0);
  EXPECT_EQ(waitWorker(b, 200), 0);

  qvCacheMutex mutex(name.name());
  CacheTestInterface ui;
  CacheIndex index(ui, mutex, directory, CacheClock(0));
  ASSERT_TRUE(index.open());
  for (long i = 0; i < kKeys; ++i) {
    const auto record = index.lookup(keyOf(i));
    ASSERT_TRUE(record) << i;
    const std::string body = readWholeFile(index.dataFilePath(record->dataNumber));
    const std::string suffix = " key " + std::to_string(i);
    EXPECT_TRUE(body == "A" + suffix || body == "B" + suffix) << i << ": " << body;
  }
  const ChainWalk walk = walkChains(index);
  EXPECT_EQ(walk.errors, 0);
  EXPECT_EQ(walk.reachable, kKeys);
  EXPECT_EQ(index.header().entryCount, static_cast<std::uint32_t>(kKeys));
  EXPECT_EQ(dataFiles(directory), kKeys);
  EXPECT_TRUE(ui.warnings.empty());
}

// Reads the worker's log of finished stores: the last body number per key,
// and every body number ever stored.
std::map<long, long> lastStores(const std::string& log) {
  std::map<long, long> last;
  std::istringstream in(readWholeFile(log));
  long key = 0;
  long number = 0;
  while (in >> key >> number) last[key] = number;
  return last;
}

TEST(CacheProcesses, KillsAtAnyMomentOfAStoreLoseNothing) {
  TempDirectory work;
  TestMutexName name;
  const std::string directory = work / "Cache";
  const std::string log = work / "stores.log";
  constexpr long kKeyCount = 40;
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> pause(0, 15000);
  std::map<long, long> known;
  qvCacheMutex mutex(name.name());
  CacheTestInterface ui;
  for (int kill = 0; kill < kKills; ++kill) {
    // Each worker starts at another key, so every key sees kills.
    const long first = static_cast<long>(kill) * 1000001;
    const std::uintmax_t logSize = fs::exists(log) ? fs::file_size(log) : 0;
    const pid_t worker = startWorker({directory, name.name(), "churn", std::to_string(first),
                                      std::to_string(kKeyCount), log});
    // A slow start (sanitizers, a busy machine) must not use up the pause:
    // the kill comes at a random moment after the worker's first store.
    const auto started = std::chrono::steady_clock::now();
    while ((fs::exists(log) ? fs::file_size(log) : 0) == logSize &&
           std::chrono::steady_clock::now() - started < std::chrono::seconds(5)) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    std::this_thread::sleep_for(std::chrono::microseconds(pause(random)));
    ::kill(worker, SIGKILL);
    int status = 0;
    ::waitpid(worker, &status, 0);

    const std::map<long, long> logged = lastStores(log);
    CacheIndex index(ui, mutex, directory, CacheClock(0));
    ASSERT_TRUE(index.openOrCreate()) << "after kill " << kill;
    for (const auto& [key, number] : logged) known[key] = number;
    for (long key = 0; key < kKeyCount; ++key) {
      const auto record = index.lookup(keyOf(key));
      if (!known.contains(key)) continue;
      ASSERT_TRUE(record) << "key " << key << " lost after kill " << kill;
      const std::string body = readWholeFile(index.dataFilePath(record->dataNumber));
      const std::string prefix = "key " + std::to_string(key) + " body ";
      ASSERT_EQ(body.substr(0, prefix.size()), prefix) << "after kill " << kill;
      const long stored = std::stol(body.substr(prefix.size()));
      // The last store logged, or the one in flight when the kill came.
      EXPECT_GE(stored, known[key]) << "key " << key << " went back after kill " << kill;
      known[key] = stored;
    }
    const ChainWalk walk = walkChains(index);
    ASSERT_EQ(walk.errors, 0) << "after kill " << kill;
    ASSERT_LE(walk.reachable, kKeyCount);
  }
  // The kills came in the middle of stores, not only before the first one.
  EXPECT_EQ(known.size(), static_cast<std::size_t>(kKeyCount));
  EXPECT_TRUE(ui.warnings.empty() || ui.warned("Warning : abandoned mutex - please report this as a bug"));
}

// Stores `count` keys with the bodies "key K body FIRST+K" from this process.
void storeKeys(CacheIndex& index, const std::string& directory, long count, long first) {
  const std::string bodyFile = directory + "/../url.dat";
  for (long key = 0; key < count; ++key) {
    fs::remove(bodyFile);  // the last body is still a name of its entry's file
    std::ofstream(bodyFile, std::ios::binary | std::ios::trunc) << "key " << key << " body " << first + key;
    const std::uint32_t size = static_cast<std::uint32_t>(fs::file_size(bodyFile));
    ASSERT_TRUE(index.store(keyOf(key), "text/html", size, false, false, bodyFile));
  }
}

// Kills a worker that repeats `mode` ("rebuild" or "clear") at random
// moments. After each kill a key is either found with its own body or, for
// a clear only, gone; a record never names a missing or foreign body, and
// the chains walk without an error.
void killDuringUpkeep(const std::string& mode, int kills) {
  TempDirectory work;
  TestMutexName name;
  const std::string directory = work / "Cache";
  constexpr long kKeyCount = 40;
  std::mt19937 random(20261209);
  std::uniform_int_distribution<int> pause(0, 20000);
  qvCacheMutex mutex(name.name());
  CacheTestInterface ui;
  for (int kill = 0; kill < kills; ++kill) {
    {
      CacheIndex index(ui, mutex, directory, CacheClock(0));
      ASSERT_TRUE(index.openOrCreate());
      storeKeys(index, directory, kKeyCount, kill * 1000);
    }
    const pid_t worker = startWorker({directory, name.name(), mode});
    std::this_thread::sleep_for(std::chrono::microseconds(1000 + pause(random)));
    ::kill(worker, SIGKILL);
    ::waitpid(worker, nullptr, 0);

    CacheIndex index(ui, mutex, directory, CacheClock(0));
    ASSERT_TRUE(index.openOrCreate()) << mode << ", kill " << kill;
    for (long key = 0; key < kKeyCount; ++key) {
      const auto record = index.lookup(keyOf(key));
      if (!record && mode == "clear") continue;
      ASSERT_TRUE(record) << "key " << key << " lost by a " << mode << " killed at kill " << kill;
      EXPECT_EQ(readWholeFile(index.dataFilePath(record->dataNumber)),
                "key " + std::to_string(key) + " body " + std::to_string(kill * 1000 + key))
          << mode << ", kill " << kill;
    }
    ASSERT_EQ(walkChains(index).errors, 0) << mode << ", kill " << kill;
  }
}

TEST(CacheProcesses, KillsDuringRebuildsLoseNothing) { killDuringUpkeep("rebuild", kKills / 5); }

TEST(CacheProcesses, KillsDuringClearsLeaveEveryKeyWholeOrGone) { killDuringUpkeep("clear", kKills / 5); }

}  // namespace
