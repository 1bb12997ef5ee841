#pragma once
// What the cache tests share: a user interface that records what the cache
// reports, a lock of the test's own (never the user's real one), and a walk
// over every chain of an index that says whether it is sound.

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "cache/CacheFormat.h"
#include "cache/CacheIndex.h"
#include "platform/qvCacheMutex.h"
#include "ui/qvUserInterface.h"
#include "ui/qvUserInterfaceCodes.h"

class CacheTestInterface : public qvUserInterface {
 public:
  int keepDays = 30;
  std::vector<std::string> warnings;
  std::vector<std::string> statusTexts;

  int getValue(int index) override { return index == qvValueIndex::kCacheDays ? keepDays : 0; }
  void showWarning(const std::string& text) override { warnings.push_back(text); }
  void setStatusText(const std::string& text) override { statusTexts.push_back(text); }

  bool warned(const std::string& text) const {
    for (const auto& warning : warnings) {
      if (warning == text) return true;
    }
    return false;
  }
};

// A lock name no other test, process or user shares; removed at the end.
class TestMutexName {
 public:
  TestMutexName() {
    static std::atomic<int> serial{0};
    name_ = "/CorvaneCacheTest." + std::to_string(::getpid()) + "." + std::to_string(serial++);
  }
  ~TestMutexName() { qvCacheMutex::unlink(name_); }
  TestMutexName(const TestMutexName&) = delete;
  TestMutexName& operator=(const TestMutexName&) = delete;
  const std::string& name() const { return name_; }

 private:
  std::string name_;
};

inline std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Walks every chain: links inside the file and on the record grid, each
// record's previous field naming the one before, no record reached twice,
// every hash the key's and in its bucket. Returns the problems found.
struct ChainWalk {
  int errors = 0;
  int reachable = 0;
};

inline ChainWalk walkChains(CacheIndex& index) {
  ChainWalk walk;
  CacheIndexLock guard(index);
  if (!guard.held() || !index.isOpen()) {
    walk.errors = 1;
    return walk;
  }
  std::set<std::uint32_t> seen;
  const CacheHeader& header = index.header();
  for (std::uint32_t bucket = 0; bucket < cacheformat::kBucketCount; ++bucket) {
    std::uint32_t previous = cacheformat::kNoRecord;
    for (std::uint32_t offset = header.heads[bucket]; offset != cacheformat::kNoRecord;) {
      CacheRecord record;
      if (offset < cacheformat::kHeaderSize || (offset - cacheformat::kHeaderSize) % cacheformat::kRecordSize != 0 ||
          !seen.insert(offset).second || !index.readRecord(offset, record)) {
        ++walk.errors;
        break;
      }
      if (record.previous != previous || record.inUse != 1 || record.lengthsDamaged ||
          cacheformat::bucketOf(record.hash) != bucket) {
        ++walk.errors;
      }
      ++walk.reachable;
      previous = offset;
      offset = record.next;
    }
  }
  return walk;
}
