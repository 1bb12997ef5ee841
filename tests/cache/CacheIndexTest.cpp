#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "cache/CacheDataNumbers.h"
#include "cache/CacheIndex.h"
#include "cache/CacheKey.h"
#include "tests/cache/CacheTestSupport.h"
#include "tests/support/TempDirectory.h"

namespace {

namespace fs = std::filesystem;

class CacheIndexTest : public ::testing::Test {
 protected:
  TempDirectory work;
  TestMutexName lockName;
  qvCacheMutex mutex{lockName.name()};
  CacheTestInterface ui;
  std::string directory = work / "Cache";
  int rebuilds = 0;

  std::unique_ptr<CacheIndex> makeIndex(std::int64_t bias = 0) {
    auto index = std::make_unique<CacheIndex>(ui, mutex, directory, CacheClock(bias));
    index->setMaintenance({nullptr, [this] { return ++rebuilds, false; }, nullptr});
    return index;
  }

  // Stores `body` for `url` through a body file, as the client does.
  std::optional<std::string> storeBody(CacheIndex& index, const std::string& url, const std::string& body) {
    fs::remove(work / "url.dat");  // the last one may share the cache's file
    const std::string file = work.write("url.dat", body).string();
    return index.store(cacheKey(url), "text/html", static_cast<std::uint32_t>(body.size()), false, false, file);
  }

  std::string bodyOf(CacheIndex& index, const std::string& url) {
    const auto record = index.lookup(cacheKey(url));
    return record ? readWholeFile(index.dataFilePath(record->dataNumber)) : "<absent>";
  }

  int dataFiles() const {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(directory)) count += entry.path().extension() == ".cvc";
    return count;
  }
};

TEST_F(CacheIndexTest, StoresLooksUpAndReplacesInPlace) {
  auto index = makeIndex();
  ASSERT_TRUE(index->openOrCreate());
  const auto first = storeBody(*index, "http://Host/a", "first body");
  ASSERT_TRUE(first);
  // The caller keeps its name of the body.
  EXPECT_EQ(readWholeFile(work / "url.dat"), "first body");
  const auto second = storeBody(*index, "http://host/%61", "second, longer body");
  ASSERT_TRUE(second);
  EXPECT_NE(*first, *second);
  EXPECT_EQ(bodyOf(*index, "http://HOST/a"), "second, longer body");
  EXPECT_EQ(dataFiles(), 1);
  EXPECT_EQ(walkChains(*index).reachable, 1);
  EXPECT_EQ(index->header().entryCount, 1u);
  EXPECT_EQ(index->header().recordCount, 1u);
  EXPECT_EQ(index->header().bytesCached, 19u);
  EXPECT_FALSE(index->lookup(cacheKey("http://host/b")));

  // Keys and values past their limits are cut; such a key is never found.
  const std::string longUrl = "http://host/" + std::string(300, 'x');
  ASSERT_TRUE(index->store(cacheKey(longUrl), std::string(250, 't'), 1, false));
  EXPECT_FALSE(index->lookup(cacheKey(longUrl)));
  const auto cut = index->lookup(cacheKey(longUrl).substr(0, 255));
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->value.size(), 220u);
  EXPECT_EQ(walkChains(*index).errors, 0);
}

TEST_F(CacheIndexTest, ExpiredEntriesAreNotFound) {
  ui.keepDays = 1;
  auto index = makeIndex();
  ASSERT_TRUE(index->openOrCreate());
  ASSERT_TRUE(storeBody(*index, "http://h/old", "old"));
  index->close();
  auto later = makeIndex(2 * 86400);
  ASSERT_TRUE(later->open());
  EXPECT_FALSE(later->lookup(cacheKey("http://h/old")));
  auto sameDay = makeIndex(3600);
  ASSERT_TRUE(sameDay->open());
  EXPECT_TRUE(sameDay->lookup(cacheKey("http://h/old")));
}

TEST_F(CacheIndexTest, DataNumbersSkipFilesInUseAndAliasesNameNone) {
  fs::create_directories(directory);
  for (std::uint32_t n = 1000; n < 1003; ++n) work.write("Cache/" + cacheformat::dataFileName(n), "someone's");
  CacheDataNumbers numbers(1000);
  EXPECT_EQ(numbers.claim(directory), 1003u);
  EXPECT_EQ(numbers.claim(directory), 1004u);
  EXPECT_EQ(readWholeFile(directory + "/" + cacheformat::dataFileName(1000)), "someone's");

  auto index = makeIndex();
  ASSERT_TRUE(index->openOrCreate());
  ASSERT_TRUE(storeBody(*index, "http://h/page", "body"));
  const int before = dataFiles();
  // An alias over a body drops the body; it names no file itself, so a later
  // body stored over the alias deletes nothing another entry may own.
  EXPECT_EQ(index->store(cacheKey("http://h/page"), "http://h/other", 0, true), "00000000");
  EXPECT_EQ(dataFiles(), before - 1);
  ASSERT_TRUE(storeBody(*index, "http://h/other", "other body"));
  ASSERT_TRUE(storeBody(*index, "http://h/page", "new body"));
  EXPECT_EQ(bodyOf(*index, "http://h/other"), "other body");
  EXPECT_EQ(bodyOf(*index, "http://h/page"), "new body");
  EXPECT_EQ(index->header().entryCount, 2u);
}

TEST_F(CacheIndexTest, CreatesOnlyAMissingShortOrForeignIndex) {
  {
    auto index = makeIndex();
    ASSERT_TRUE(index->openOrCreate());
    EXPECT_EQ(fs::file_size(directory + "/cache.idx"), 1048576u);
  }
  work.write("Cache/cache.idx", std::string(1000, 'x'));
  EXPECT_TRUE(makeIndex()->openOrCreate());
  EXPECT_EQ(fs::file_size(directory + "/cache.idx"), 1048576u);

  std::string foreign = readWholeFile(directory + "/cache.idx");
  foreign[0] = 0x11;
  work.write("Cache/cache.idx", foreign);
  EXPECT_TRUE(makeIndex()->openOrCreate());
  EXPECT_TRUE(ui.warned("Cache file version mismatch"));
  EXPECT_FALSE(fs::exists(directory + "/cache.new"));

  // An index that cannot be opened for other reasons is kept as it is.
  auto index = makeIndex();
  ASSERT_TRUE(index->openOrCreate());
  ASSERT_TRUE(storeBody(*index, "http://h/kept", "kept"));
  index->close();
  const std::string before = readWholeFile(directory + "/cache.idx");
  if (::geteuid() != 0) {
    fs::permissions(directory + "/cache.idx", fs::perms::none);
    EXPECT_FALSE(makeIndex()->openOrCreate());
    EXPECT_TRUE(ui.warned("Cannot open or create cache index file"));
    fs::permissions(directory + "/cache.idx", fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(readWholeFile(directory + "/cache.idx"), before);
  }
  // A validation whose repair fails turns the cache off and keeps the file.
  auto failing = std::make_unique<CacheIndex>(ui, mutex, directory, CacheClock(2 * 86400));
  failing->setMaintenance({[] { return 3; }, [] { return false; }, nullptr});
  EXPECT_FALSE(failing->openOrCreate());
  EXPECT_FALSE(failing->isOpen());
  EXPECT_EQ(readWholeFile(directory + "/cache.idx"), before);
  EXPECT_FALSE(failing->store(cacheKey("http://h/x"), "text/html", 1, false));
}

TEST_F(CacheIndexTest, LockTimeOutNeitherCreatesNorFinds) {
  auto index = makeIndex();
  ASSERT_TRUE(index->openOrCreate());
  ASSERT_TRUE(storeBody(*index, "http://h/a", "a"));
  const std::string before = readWholeFile(directory + "/cache.idx");
  std::atomic<bool> holding{false};
  std::atomic<bool> done{false};
  std::thread holder([&] {
    qvCacheMutexLock lock(mutex, 1000);
    holding = lock.held();
    while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  });
  while (!holding) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  auto second = makeIndex();
  EXPECT_FALSE(second->openOrCreate());
  EXPECT_TRUE(ui.warned("Cannot open or create cache index file"));
  done = true;
  holder.join();
  EXPECT_EQ(readWholeFile(directory + "/cache.idx"), before);
  EXPECT_TRUE(index->lookup(cacheKey("http://h/a")));
}

// Two index objects over one file behave as two processes would.
TEST_F(CacheIndexTest, SecondProcessSeesHeaderChangesAndReplacedIndex) {
  auto one = makeIndex();
  auto two = makeIndex();
  ASSERT_TRUE(one->openOrCreate());
  ASSERT_TRUE(two->openOrCreate());
  for (int i = 0; i < 40; ++i) {
    ASSERT_TRUE(storeBody(*one, "http://h/one" + std::to_string(i), "one " + std::to_string(i)));
    ASSERT_TRUE(storeBody(*two, "http://h/two" + std::to_string(i), "two " + std::to_string(i)));
  }
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(bodyOf(*two, "http://h/one" + std::to_string(i)), "one " + std::to_string(i));
    EXPECT_EQ(bodyOf(*one, "http://h/two" + std::to_string(i)), "two " + std::to_string(i));
  }
  EXPECT_EQ(walkChains(*one).reachable, 80);
  EXPECT_EQ(one->header().entryCount, 80u);

  // A fresh index put in place by the other one (as a clear does).
  ASSERT_TRUE(two->create());
  ASSERT_TRUE(two->open());
  ASSERT_TRUE(storeBody(*one, "http://h/after", "after"));
  EXPECT_EQ(bodyOf(*two, "http://h/after"), "after");
  EXPECT_FALSE(two->lookup(cacheKey("http://h/one1")));
  EXPECT_EQ(walkChains(*two).reachable, 1);
}

// A run reads the body it stored or was served after releasing the lock;
// another process replacing the entry in between must not take it away.
TEST_F(CacheIndexTest, BodiesHandedOutSurviveTheOtherProcessReplacingTheEntry) {
  auto one = makeIndex();
  auto two = makeIndex();
  ASSERT_TRUE(one->openOrCreate());
  ASSERT_TRUE(two->openOrCreate());
  ASSERT_TRUE(storeBody(*one, "http://h/page", "stored by one"));
  const std::string served = work / "served.dat";
  ASSERT_TRUE(two->lookupInto(cacheKey("http://h/page"), served));

  const std::string otherBody = work / "other.dat";
  std::ofstream(otherBody, std::ios::binary) << "stored by two";
  ASSERT_TRUE(two->store(cacheKey("http://h/page"), "text/html", 13, false, false, otherBody));
  EXPECT_EQ(readWholeFile(work / "url.dat"), "stored by one");
  EXPECT_EQ(readWholeFile(served), "stored by one");
  EXPECT_EQ(bodyOf(*one, "http://h/page"), "stored by two");
  EXPECT_EQ(dataFiles(), 1);

  // Serving again replaces the working file; writing the next body anew
  // leaves the entry's file alone.
  ASSERT_TRUE(one->lookupInto(cacheKey("http://h/page"), served));
  EXPECT_EQ(readWholeFile(served), "stored by two");
  ASSERT_TRUE(storeBody(*one, "http://h/next", "next"));
  EXPECT_EQ(bodyOf(*two, "http://h/page"), "stored by two");
  EXPECT_FALSE(two->lookupInto(cacheKey("http://h/absent"), served));
}

TEST_F(CacheIndexTest, CorruptChainsAreReportedAndRepaired) {
  auto index = makeIndex();
  ASSERT_TRUE(index->openOrCreate());
  ASSERT_TRUE(storeBody(*index, "http://h/a", "a"));
  const std::uint32_t bucket = cacheformat::bucketOf(cacheHash(cacheKey("http://h/a")));
  const std::uint32_t at = index->header().heads[bucket];
  CacheRecord record;
  ASSERT_TRUE(index->readRecord(at, record));

  record.next = at;
  ASSERT_TRUE(index->writeRecord(at, record));
  EXPECT_FALSE(index->lookup(cacheKey("http://h/a")));
  EXPECT_TRUE(ui.warned("Cache index file corrupted [7] !"));
  EXPECT_FALSE(index->store(cacheKey("http://h/a"), "t", 1, false));
  EXPECT_TRUE(ui.warned("Cache index file corrupted [3] !"));

  record.next = cacheformat::kNoRecord;
  record.previous = at + 512;
  ASSERT_TRUE(index->writeRecord(at, record));
  EXPECT_FALSE(index->lookup(cacheKey("http://h/a")));
  EXPECT_TRUE(ui.warned("Cache index file corrupted [6] !"));
  EXPECT_TRUE(ui.warned(cacheKey("http://h/a")));
  EXPECT_FALSE(index->store(cacheKey("http://h/a"), "t", 1, false));
  EXPECT_TRUE(ui.warned("Cache index file corrupted [2] !"));

  // A link off the record grid would make a store overwrite two records.
  index->header().heads[bucket] = at + 100;
  EXPECT_FALSE(index->lookup(cacheKey("http://h/a")));
  EXPECT_TRUE(ui.warned("Cache index file corrupted [5] !"));
  EXPECT_FALSE(index->store(cacheKey("http://h/a"), "t", 1, false));
  EXPECT_TRUE(ui.warned("Cache index file corrupted [1] !"));

  // An append position on a record of a chain would overwrite it.
  index->header().heads[bucket] = at;
  record.previous = cacheformat::kNoRecord;
  ASSERT_TRUE(index->writeRecord(at, record));
  index->header().appendPosition = at;
  EXPECT_FALSE(index->store(cacheKey("http://h/b"), "t", 1, true));
  EXPECT_TRUE(ui.warned("Cache index file corrupted [4] !"));
  EXPECT_TRUE(index->lookup(cacheKey("http://h/a")));

  index->header().heads[bucket] = cacheformat::kNoRecord;
  index->header().appendPosition = index->header().allocatedSize;
  EXPECT_FALSE(storeBody(*index, "http://h/a", "a2"));
  EXPECT_TRUE(ui.warned("Cache index file corrupted [4] !"));
  // The caller keeps its body when the store fails.
  EXPECT_EQ(readWholeFile(work / "url.dat"), "a2");
  EXPECT_EQ(rebuilds, 8);
}

TEST_F(CacheIndexTest, GrowsWhenTheAppendPositionReachesTheEnd) {
  auto index = makeIndex();
  ASSERT_TRUE(index->openOrCreate());
  const std::uint32_t records = (1048576 - 131072) / 512;
  for (std::uint32_t i = 0; i <= records; ++i) {
    ASSERT_TRUE(index->store(cacheKey("http://h/" + std::to_string(i)), "text/html", 1, true)) << i;
  }
  EXPECT_EQ(fs::file_size(directory + "/cache.idx"), 2u * 1048576);
  EXPECT_EQ(index->header().allocatedSize, 2u * 1048576);
  EXPECT_TRUE(index->lookup(cacheKey("http://h/0")));
  EXPECT_TRUE(index->lookup(cacheKey("http://h/" + std::to_string(records))));
  EXPECT_EQ(walkChains(*index).reachable, static_cast<int>(records) + 1);
}

TEST_F(CacheIndexTest, AFailedStoreKeepsTheCallersBody) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  auto index = makeIndex();
  ASSERT_TRUE(index->openOrCreate());
  fs::permissions(directory, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(storeBody(*index, "http://h/a", "the body"));
  fs::permissions(directory, fs::perms::owner_all);
  EXPECT_EQ(readWholeFile(work / "url.dat"), "the body");
  EXPECT_FALSE(index->lookup(cacheKey("http://h/a")));
}

}  // namespace
