#include "cache/CacheRebuild.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <set>
#include <string_view>

#include "cache/CacheIndex.h"
#include "cache/CacheKey.h"
#include "cache/CacheRecordScan.h"
#include "platform/qvFileDescriptor.h"
#include "ui/qvUserInterface.h"

namespace {

using namespace cacheformat;

bool writeAll(int fd, const unsigned char* bytes, std::size_t size, std::uint64_t offset) {
  while (size > 0) {
    const ssize_t done = ::pwrite(fd, bytes, size, static_cast<off_t>(offset));
    if (done <= 0) return false;
    bytes += done;
    size -= static_cast<std::size_t>(done);
    offset += static_cast<std::uint64_t>(done);
  }
  return true;
}

void syncDirectory(const std::string& directory) {
  qvFileDescriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY));
  if (dir.get() >= 0) ::fsync(dir.get());
}

std::uint32_t saturated(std::uint64_t value) { return static_cast<std::uint32_t>(std::min<std::uint64_t>(value, 0xFFFFFFFFu)); }

}  // namespace

bool CacheRebuild::run() {
  const std::uint32_t now = index_.clock().now();
  CacheIndexLock lock(index_);
  if (!lock.held() || !index_.isOpen()) return false;
  index_.writeHeader();
  std::vector<CacheRecord> records;
  if (!collect(records)) return fail();
  choose(records, now);
  if (!writeNewIndex(records, now)) return fail();
  if (!replace()) return fail();
  std::set<std::uint32_t> named;
  for (const CacheRecord& record : records) {
    if (!record.isAlias()) named.insert(record.dataNumber);
  }
  // A damaged or superseded record may carry a number a kept one uses.
  for (const CacheRecord& record : dropped_) {
    if (!named.contains(record.dataNumber)) removeDataFile(record);
  }
  if (finished_) removeUnnamedDataFiles(records);
  return true;
}

// Every record in use. A scan cut short (exit, read error) fails the
// rebuild, which leaves the old index and every record in it in place.
bool CacheRebuild::collect(std::vector<CacheRecord>& records) {
  std::vector<std::uint32_t> offsets;
  const bool complete =
      CacheRecordScan(index_.fileDescriptor(), index_.header().allocatedSize)
          .politely(index_.ui())
          .run([&](std::uint32_t offset, const CacheRecord& record) {
            if (record.inUse == 0 || record.previous == 0 || record.next == 0) return;
            if (record.lengthsDamaged) {
              dropped_.push_back(record);
              return;
            }
            records.push_back(record);
            offsets.push_back(offset);
          });
  if (!complete) return false;
  // Among equal keys the newest wins; a later append breaks a tie.
  std::vector<std::size_t> order(records.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return records[a].timeStored != records[b].timeStored ? records[a].timeStored > records[b].timeStored
                                                          : offsets[a] > offsets[b];
  });
  std::set<std::string> seen;
  std::vector<CacheRecord> newestFirst;
  newestFirst.reserve(records.size());
  for (const std::size_t i : order) {
    if (seen.insert(records[i].key).second) {
      newestFirst.push_back(std::move(records[i]));
    } else {
      dropped_.push_back(std::move(records[i]));
    }
  }
  records = std::move(newestFirst);
  return true;
}

// Drops expired records and the oldest beyond the budget; `records` keeps
// the rest, newest first.
void CacheRebuild::choose(std::vector<CacheRecord>& records, std::uint32_t now) {
  std::int64_t budget = static_cast<std::int64_t>(limitBytes_ - limitBytes_ / 20);
  std::vector<CacheRecord> kept;
  kept.reserve(records.size());
  for (CacheRecord& record : records) {
    if (!finished_) {
      kept.push_back(std::move(record));
      continue;
    }
    budget -= record.size;
    if (budget >= 0 && record.expiry >= now) {
      kept.push_back(std::move(record));
      continue;
    }
    if (index_.ui().shouldExit()) {
      // Keep this one and everything after it: leaving is no reason to lose them.
      finished_ = false;
      kept.push_back(std::move(record));
      continue;
    }
    index_.ui().setStatusText("Removing expired and excess files from the cache : " + dataFileName(record.dataNumber));
    dropped_.push_back(std::move(record));
  }
  records = std::move(kept);
}

bool CacheRebuild::writeNewIndex(std::vector<CacheRecord>& kept, std::uint32_t now) {
  const std::string path = index_.directory() + "/" + kNewIndexName;
  qvFileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (file.get() < 0) return false;
  CacheHeader header = CacheHeader::empty(now);
  // Chains hold their records oldest first, as a head insertion of the
  // newest-first list leaves them.
  std::map<std::uint32_t, std::vector<const CacheRecord*>> buckets;
  for (auto it = kept.rbegin(); it != kept.rend(); ++it) buckets[bucketOf(cacheHash(it->key))].push_back(&*it);
  std::uint64_t position = kHeaderSize;
  std::uint64_t bytes = 0;
  std::vector<unsigned char> out;
  for (const auto& [bucket, chain] : buckets) {
    header.heads[bucket] = static_cast<std::uint32_t>(position);
    for (std::size_t i = 0; i < chain.size(); ++i) {
      CacheRecord record = *chain[i];
      record.hash = cacheHash(record.key);
      record.inUse = 1;
      record.previous = i == 0 ? kNoRecord : static_cast<std::uint32_t>(position - kRecordSize);
      record.next = i + 1 == chain.size() ? kNoRecord : static_cast<std::uint32_t>(position + kRecordSize);
      const auto encoded = record.encode();
      out.insert(out.end(), encoded.begin(), encoded.end());
      position += kRecordSize;
      bytes += record.size;
      ++header.recordCount;
      if (!record.isAlias()) ++header.entryCount;
    }
  }
  if (position > 0xFFFFFFFFull - (1u << 20)) return false;
  if (!writeAll(file.get(), out.data(), out.size(), kHeaderSize)) return false;
  header.appendPosition = static_cast<std::uint32_t>(position);
  header.bytesCached = saturated(bytes);
  // Zeros written, not a hole, so a full disk shows here and not at a later append.
  const std::uint64_t padded = (position / (1u << 20) + 1) * (1u << 20);
  const std::vector<unsigned char> zeros(padded - position, 0);
  if (!writeAll(file.get(), zeros.data(), zeros.size(), position)) return false;
  header.allocatedSize = static_cast<std::uint32_t>(padded);
  const std::vector<unsigned char> head = header.encode();
  if (!writeAll(file.get(), head.data(), head.size(), 0)) return false;
  return ::fsync(file.get()) == 0 && file.close();
}

// The old index stays reachable as "cache.old" by a second name, so at every
// moment "cache.idx" names a whole index.
bool CacheRebuild::replace() {
  const std::string directory = index_.directory();
  const std::string current = directory + "/" + kIndexName;
  const std::string old = directory + "/" + kOldIndexName;
  const std::string fresh = directory + "/" + kNewIndexName;
  index_.close();
  ::unlink(old.c_str());
  ::link(current.c_str(), old.c_str());
  const bool renamed = ::rename(fresh.c_str(), current.c_str()) == 0;
  syncDirectory(directory);
  const bool opened = index_.open();
  return renamed && opened;
}

void CacheRebuild::removeDataFile(const CacheRecord& record) {
  if (record.isAlias() || record.dataNumber == 0) return;
  ::unlink(index_.dataFilePath(record.dataNumber).c_str());
}

void CacheRebuild::removeUnnamedDataFiles(const std::vector<CacheRecord>& kept) {
  std::set<std::string> named;
  for (const CacheRecord& record : kept) {
    if (!record.isAlias() && record.dataNumber != 0) named.insert(dataFileName(record.dataNumber));
  }
  const std::string directory = index_.directory();
  std::vector<std::string> strays;
  for (std::string& name : dataFileNames(directory)) {
    if (!named.contains(name)) strays.push_back(std::move(name));
  }
  for (const std::string& name : strays) {
    const std::string path = directory + "/" + name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(path.c_str());
  }
}

bool CacheRebuild::fail() {
  ::unlink((index_.directory() + "/" + kNewIndexName).c_str());
  index_.ui().showWarning("Rebuild of cache index failed");
  return false;
}
