// Lookup in the disk cache's index at 10^5 and 10^6 entries, for keys that
// are there and keys that are not. The index is written directly in its file
// format (every entry in its bucket's chain, as stores leave it), then opened
// and asked like the crawl asks it. With 32749 buckets a chain holds n/32749
// entries on average: a hit reads about 1 + n/65498 records, a miss about
// n/32749, and the time per lookup should grow with that and no faster.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "cache/CacheClock.h"
#include "cache/CacheFormat.h"
#include "cache/CacheIndex.h"
#include "cache/CacheKey.h"
#include "platform/qvCacheMutex.h"
#include "ui/qvUserInterface.h"

namespace {

using namespace cacheformat;

class SilentInterface : public qvUserInterface {
 public:
  int getValue(int) override { return 1; }
};

std::string keyOf(long i) { return cacheKey("http://bench.example/docs/page" + std::to_string(i) + ".html"); }
std::string missingKeyOf(long i) { return cacheKey("http://bench.example/missing/" + std::to_string(i) + ".html"); }

void writeAt(int fd, const void* bytes, std::size_t length, std::uint64_t offset) {
  if (::pwrite(fd, bytes, length, static_cast<off_t>(offset)) != static_cast<ssize_t>(length)) std::abort();
}

// An index of `entries` records in `directory`/Cache; returns the chain
// length of every bucket.
std::vector<std::uint32_t> writeIndex(const std::filesystem::path& directory, long entries, std::uint32_t now) {
  std::filesystem::create_directories(directory / kDirectory);
  const int fd = ::open((directory / kDirectory / kIndexName).c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) std::abort();
  CacheHeader header = CacheHeader::empty(now);
  std::vector<std::uint32_t> last(kBucketCount, kNoRecord);
  std::vector<std::uint32_t> lengths(kBucketCount, 0);
  std::uint64_t offset = kHeaderSize;
  for (long i = 0; i < entries; ++i, offset += kRecordSize) {
    CacheRecord record;
    record.key = keyOf(i);
    record.value = "text/html";
    record.hash = cacheHash(record.key);
    record.timeStored = now;
    record.expiry = now + 30 * kOneDay;
    record.size = 1000;
    record.dataNumber = static_cast<std::uint32_t>(i + 1);
    record.inUse = 1;
    const std::uint32_t bucket = bucketOf(record.hash);
    record.previous = last[bucket];
    const auto bytes = record.encode();
    writeAt(fd, bytes.data(), bytes.size(), offset);
    if (last[bucket] == kNoRecord) {
      header.heads[bucket] = static_cast<std::uint32_t>(offset);
    } else {
      unsigned char link[4];
      writeU32(link, static_cast<std::uint32_t>(offset));
      writeAt(fd, link, sizeof link, last[bucket] + 4);
    }
    last[bucket] = static_cast<std::uint32_t>(offset);
    ++lengths[bucket];
  }
  const std::uint64_t megabyte = std::uint64_t{kGrowBlock} * kGrowBlocks;
  const std::uint64_t size = (offset / megabyte + 1) * megabyte;
  if (::ftruncate(fd, static_cast<off_t>(size)) != 0) std::abort();
  header.recordCount = header.entryCount = static_cast<std::uint32_t>(entries);
  header.appendPosition = static_cast<std::uint32_t>(offset);
  header.allocatedSize = static_cast<std::uint32_t>(size);
  header.firstRecord = entries > 0 ? static_cast<std::uint32_t>(kHeaderSize) : 0;
  header.bytesCached = static_cast<std::uint32_t>(entries * 1000);
  const auto bytes = header.encode();
  writeAt(fd, bytes.data(), bytes.size(), 0);
  ::close(fd);
  return lengths;
}

// One index per size, made once and kept for every benchmark of that size.
struct Fixture {
  std::filesystem::path directory;
  SilentInterface ui;
  std::unique_ptr<qvCacheMutex> mutex;
  std::unique_ptr<CacheIndex> index;
  double expectedHitReads = 0;
  double expectedMissReads = 0;

  explicit Fixture(long entries) {
    std::string pattern = (std::filesystem::exists("/dev/shm") ? std::string("/dev/shm") : std::filesystem::temp_directory_path().string()) +
                          "/corvane-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    directory = pattern;
    const CacheClock clock(0);
    const std::vector<std::uint32_t> lengths = writeIndex(directory, entries, clock.now());
    double hitReads = 0;
    double missReads = 0;
    for (const std::uint32_t n : lengths) {
      hitReads += n * (n + 1) / 2.0;  // the i-th of a chain is found after i reads
      missReads += n;                 // a miss reads its whole chain
    }
    expectedHitReads = hitReads / static_cast<double>(entries);
    expectedMissReads = missReads / kBucketCount;
    mutex = std::make_unique<qvCacheMutex>("/CorvaneCacheBench." + std::to_string(::getpid()));
    index = std::make_unique<CacheIndex>(ui, *mutex, (directory / kDirectory).string(), clock);
    if (!index->open()) std::abort();
  }
  ~Fixture() {
    index.reset();
    mutex.reset();
    // The lock lives in shared memory past the process unless it is unlinked.
    ::shm_unlink(("/CorvaneCacheBench." + std::to_string(::getpid())).c_str());
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
  }
};

Fixture& fixture(long entries) {
  static std::map<long, std::unique_ptr<Fixture>> fixtures;
  auto& slot = fixtures[entries];
  if (!slot) slot = std::make_unique<Fixture>(entries);
  return *slot;
}

void BM_LookupHit(benchmark::State& state) {
  Fixture& f = fixture(state.range(0));
  std::mt19937 random(42);
  std::uniform_int_distribution<long> pick(0, state.range(0) - 1);
  for (auto _ : state) {
    const auto record = f.index->lookup(keyOf(pick(random)));
    if (!record) state.SkipWithError("an entry was not found");
    benchmark::DoNotOptimize(record);
  }
  state.counters["records read (expected)"] = f.expectedHitReads;
}

void BM_LookupMiss(benchmark::State& state) {
  Fixture& f = fixture(state.range(0));
  long i = 0;
  for (auto _ : state) {
    const auto record = f.index->lookup(missingKeyOf(i++));
    if (record) state.SkipWithError("a missing key was found");
    benchmark::DoNotOptimize(record);
  }
  state.counters["records read (expected)"] = f.expectedMissReads;
}

}  // namespace

BENCHMARK(BM_LookupHit)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LookupMiss)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
