#pragma once
// Index files for the cache's tests, laid out byte for byte from records the
// test describes: chains linked as a store leaves them, bodies written as
// data files, and an open CacheIndex (with its upkeep attached) over them.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../support/TempDirectory.h"
#include "cache/CacheFormat.h"
#include "cache/CacheIndex.h"
#include "cache/CacheKey.h"
#include "cache/CacheMaintenance.h"
#include "platform/qvCacheMutex.h"
#include "ui/qvUserInterface.h"
#include "ui/qvUserInterfaceCodes.h"

class CacheTestInterface : public qvUserInterface {
 public:
  int getValue(int index) override { return values.contains(index) ? values[index] : 0; }
  int getStatus() override { return status; }
  bool shouldExit() override { return exiting; }
  void setStatusText(const std::string& text) override { statusTexts.push_back(text); }
  void showWarning(const std::string& text) override { warnings.push_back(text); }
  bool sawStatus(const std::string& text) const {
    for (const std::string& seen : statusTexts) {
      if (seen == text) return true;
    }
    return false;
  }

  std::map<int, int> values{{qvValueIndex::kCacheSizeLimit, 20}, {qvValueIndex::kCacheDays, 30}};
  int status = 0;
  bool exiting = false;
  std::vector<std::string> statusTexts;
  std::vector<std::string> warnings;
};

struct TestEntry {
  std::string url;
  std::string body;
  std::uint32_t timeStored = 0;
  std::uint32_t expiry = 0xF0000000u;
  std::uint32_t dataNumber = 0;
  std::uint16_t flags = 0;
};

class CacheFiles {
 public:
  CacheFiles() : cacheDir_(temp_.path() / "Cache"), mutexName_(uniqueMutexName()) {
    std::filesystem::create_directories(cacheDir_);
  }
  ~CacheFiles() {
    maintenance_.reset();
    index_.reset();
    mutex_.reset();
    qvCacheMutex::unlink(mutexName_);
  }

  // Writes cache.idx holding `entries` (each appended in turn to its bucket's
  // chain) and their bodies; returns each entry's record offset.
  std::vector<std::uint32_t> write(const std::vector<TestEntry>& entries, std::uint32_t lastValidation) {
    using namespace cacheformat;
    CacheHeader header = CacheHeader::empty(lastValidation);
    std::vector<CacheRecord> records;
    std::vector<std::uint32_t> offsets;
    std::map<std::uint32_t, std::uint32_t> tails;
    for (const TestEntry& entry : entries) {
      CacheRecord record;
      record.key = cacheKey(entry.url);
      record.hash = cacheHash(record.key);
      record.value = (entry.flags & kFlagAlias) ? "http://target/" : "text/html";
      record.timeStored = entry.timeStored;
      record.expiry = entry.expiry;
      record.size = static_cast<std::uint32_t>(entry.body.size());
      record.dataNumber = entry.dataNumber;
      record.flags = entry.flags;
      record.inUse = 1;
      const std::uint32_t offset = static_cast<std::uint32_t>(kHeaderSize + records.size() * kRecordSize);
      const std::uint32_t bucket = bucketOf(record.hash);
      if (auto tail = tails.find(bucket); tail != tails.end()) {
        record.previous = tail->second;
        records[(tail->second - kHeaderSize) / kRecordSize].next = offset;
      } else {
        header.heads[bucket] = offset;
      }
      tails[bucket] = offset;
      records.push_back(record);
      offsets.push_back(offset);
      ++header.recordCount;
      if (!record.isAlias()) {
        ++header.entryCount;
        std::ofstream(dataPath(entry.dataNumber), std::ios::binary) << entry.body;
      }
      header.bytesCached += record.size;
    }
    header.appendPosition = static_cast<std::uint32_t>(kHeaderSize + records.size() * kRecordSize);
    header.allocatedSize = static_cast<std::uint32_t>(kHeaderSize + (1u << 20));
    header.firstRecord = records.empty() ? 0 : static_cast<std::uint32_t>(kHeaderSize);
    std::string bytes(header.allocatedSize, '\0');
    const auto head = header.encode();
    std::copy(head.begin(), head.end(), bytes.begin());
    for (std::size_t i = 0; i < records.size(); ++i) {
      const auto encoded = records[i].encode();
      std::copy(encoded.begin(), encoded.end(), bytes.begin() + static_cast<long>(offsets[i]));
    }
    std::ofstream(indexPath(), std::ios::binary) << bytes;
    return offsets;
  }

  // Opens the index (validating it when its last validation is old).
  bool open() {
    mutex_ = std::make_unique<qvCacheMutex>(mutexName_);
    index_ = std::make_unique<CacheIndex>(ui, *mutex_, cacheDir_.string(), CacheClock(0));
    maintenance_ = std::make_unique<CacheMaintenance>(*index_, (temp_.path() / "cache.dump").string());
    maintenance_->attach();
    return index_->open();
  }

  CacheIndex& index() { return *index_; }
  CacheMaintenance& maintenance() { return *maintenance_; }
  std::filesystem::path indexPath() const { return cacheDir_ / cacheformat::kIndexName; }
  std::filesystem::path dataPath(std::uint32_t number) const { return cacheDir_ / cacheformat::dataFileName(number); }
  std::filesystem::path dumpPath() const { return temp_.path() / "cache.dump"; }
  const std::filesystem::path& cacheDir() const { return cacheDir_; }

  // The body stored for `url`, or none.
  std::optional<std::string> body(const std::string& url) {
    const auto record = index_->lookup(cacheKey(url));
    if (!record) return std::nullopt;
    return TempDirectory::read(dataPath(record->dataNumber));
  }

  // Overwrites `bytes.size()` bytes of the index at `offset`.
  void patch(std::uint64_t offset, const std::string& bytes) const {
    std::fstream file(indexPath(), std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  void patchU32(std::uint64_t offset, std::uint32_t value) const {
    std::string bytes(4, '\0');
    cacheformat::writeU32(reinterpret_cast<unsigned char*>(bytes.data()), value);
    patch(offset, bytes);
  }

  CacheTestInterface ui;

 private:
  static std::string uniqueMutexName() {
    std::random_device random;
    return "/CorvaneCacheTest." + std::to_string(::getpid()) + "." + std::to_string(random());
  }

  TempDirectory temp_;
  std::filesystem::path cacheDir_;
  std::string mutexName_;
  std::unique_ptr<qvCacheMutex> mutex_;
  std::unique_ptr<CacheIndex> index_;
  std::unique_ptr<CacheMaintenance> maintenance_;
};
