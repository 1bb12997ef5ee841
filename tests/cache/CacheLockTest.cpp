#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "cache/CacheIndex.h"
#include "cache/CacheKey.h"
#include "platform/qvCacheMutex.h"
#include "tests/cache/CacheTestSupport.h"
#include "tests/support/TempDirectory.h"

namespace {

TEST(CacheMutex, IsPrivateToTheUserAndReentrant) {
  EXPECT_EQ(qvCacheMutex::defaultName(), "/CorvaneCacheAccessMutex." + std::to_string(::getuid()));
  TestMutexName name;
  qvCacheMutex mutex(name.name());
  ASSERT_TRUE(mutex.valid()) << mutex.errorText();
  struct stat status {};
  ASSERT_EQ(::stat(("/dev/shm" + name.name()).c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);

  EXPECT_EQ(mutex.take(100), qvCacheMutex::Take::acquired);
  EXPECT_EQ(mutex.take(100), qvCacheMutex::Take::acquired);
  EXPECT_EQ(mutex.depth(), 2);
  // Another thread waits while this one holds it, at either depth.
  qvCacheMutex::Take other = qvCacheMutex::Take::failed;
  int otherDepth = -1;
  std::thread([&] {
    other = mutex.take(50);
    otherDepth = mutex.depth();
  }).join();
  EXPECT_EQ(other, qvCacheMutex::Take::timedOut);
  EXPECT_EQ(otherDepth, 0);
  mutex.release();
  mutex.release();
  EXPECT_EQ(mutex.depth(), 0);
  std::thread([&] {
    qvCacheMutexLock lock(mutex, 100);
    other = lock.take();
  }).join();
  EXPECT_EQ(other, qvCacheMutex::Take::acquired);
}

TEST(CacheMutex, RefusesAnObjectOthersCanReach) {
  TestMutexName name;
  const int fd = ::shm_open(name.name().c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::fchmod(fd, 0666), 0);
  ::close(fd);
  qvCacheMutex mutex(name.name());
  EXPECT_FALSE(mutex.valid());
  EXPECT_EQ(mutex.take(10), qvCacheMutex::Take::failed);
}

// A process killed while holding the lock in the middle of a store: the
// next taker is told, and re-reads the header the dead one was changing.
TEST(CacheMutex, AbandonedLockIsReportedAndTheHeaderReread) {
  TempDirectory work;
  TestMutexName name;
  qvCacheMutex mutex(name.name());
  CacheTestInterface ui;
  CacheIndex index(ui, mutex, work / "Cache", CacheClock(0));
  ASSERT_TRUE(index.openOrCreate());
  ASSERT_TRUE(index.store(cacheKey("http://h/a"), "text/html", 1, true));

  const pid_t child = ::fork();
  if (child == 0) {
    CacheTestInterface childUi;
    qvCacheMutex childMutex(name.name());
    CacheIndex childIndex(childUi, childMutex, work / "Cache", CacheClock(0));
    if (!childIndex.open() || !childIndex.lock()) ::_exit(1);
    childIndex.header().entryCount = 77;
    childIndex.writeHeader();
    ::_exit(0);  // dies holding the lock
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(index.lookup(cacheKey("http://h/a")));
  EXPECT_TRUE(ui.warned("Warning : abandoned mutex - please report this as a bug"));
  EXPECT_EQ(index.header().entryCount, 77u);
  EXPECT_EQ(mutex.depth(), 0);
}

}  // namespace
