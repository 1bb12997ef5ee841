#pragma once
// The open cache index: the file "cache.idx" in the cache directory and its
// header held in memory. Lookups walk a bucket's chain of records; stores
// replace the record of an equal key or append one to the chain.
//
// Several processes share one index. Every operation runs under the
// cross-process lock (qvCacheMutex, at most 10 s of waiting), tests whether
// the index is open only once it holds the lock, and on taking the lock
// first brings its view up to date: an index file replaced by another
// process's rebuild is opened again, and the header is read again when the
// lock's change counter moved. Nothing is buffered across releases: records
// are read and written straight through the file descriptor.
//
// A store writes in an order that a kill at any moment survives: the body's
// data file, the record, the header's counters, the link that makes the
// record reachable, and last the replaced body's file.
//
// Result codes: every operation returns a bool, a count or an optional, and
// reports to the user interface; nothing is thrown.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "cache/CacheClock.h"
#include "cache/CacheDataNumbers.h"
#include "cache/CacheFormat.h"

class qvCacheMutex;
class qvUserInterface;

class CacheIndex {
 public:
  static constexpr int kLockWaitMilliseconds = 10000;

  // The maintenance operations the index calls on itself: the validation at
  // open, the rebuild that repairs corruption, the recount of cached bytes.
  // Any may be left empty (then validation finds nothing, a repair fails and
  // the recount keeps the header's figure).
  struct Maintenance {
    std::function<int()> validate;             // the number of errors found
    std::function<bool()> rebuild;             // whether a sound index is open again
    std::function<std::int64_t()> recountBytes;  // -1 without an index
  };

  // `directory` is the cache directory ("Cache" under the working
  // directory). `ui` and `mutex` must outlive the index.
  CacheIndex(qvUserInterface& ui, qvCacheMutex& mutex, std::string directory, CacheClock clock);
  ~CacheIndex();
  CacheIndex(const CacheIndex&) = delete;
  CacheIndex& operator=(const CacheIndex&) = delete;

  void setMaintenance(Maintenance maintenance);

  // Start-up: opens the index; creates it only when it is missing, shorter
  // than its header or of another version. Any other failure (lock
  // time-out, permissions, a failed repair) leaves the file as it is, warns
  // "Cannot open or create cache index file" and the engine runs without a
  // cache. Whether an index is open afterwards.
  bool openOrCreate();

  // Opens "cache.idx" (validating it once a day). False when it is missing,
  // short, of another version, or cannot be opened or repaired.
  bool open();
  // Writes a fresh, empty index as "cache.new" and renames it over
  // "cache.idx", making the directory when it is missing. Does not open it.
  bool create();
  // Writes the header and closes the file; every operation then fails.
  void close();
  bool isOpen() const;

  // The record of `key` (a cacheKey) when present and not expired.
  std::optional<CacheRecord> lookup(std::string_view key);

  // The record of `key` as lookup() finds it and, for a body, the body
  // given the second name `destination` (replacing what was there) while
  // the lock is held: the caller reads it there whatever other processes do
  // to the entry. None when there is no entry or the body cannot be had.
  std::optional<CacheRecord> lookupInto(std::string_view key, const std::string& destination);

  // Stores `key` with `value` (content type, or an alias's target URL). For
  // a body, `bodyFile` (when given) becomes the entry's data file before
  // the record is written, and the caller's path stays a name of the same
  // body (see CacheFileShare.h); without it the caller renames the body
  // over the data file named by the result. Returns the data number as eight
  // hex digits ("00000000" for an alias, which names no file), or none.
  std::optional<std::string> store(std::string_view key, std::string_view value, std::uint32_t size, bool alias,
                                   bool mustRevalidate = false, const std::string& bodyFile = {});

  // Writes the in-memory header at offset 0 and flushes it.
  bool writeHeader();
  // Appends 1 MB of zero records; the allocated size becomes the new length.
  bool grow();

  // For the maintenance operations, which run under the lock.
  qvCacheMutex& mutex() { return mutex_; }
  qvUserInterface& ui() { return ui_; }
  const CacheClock& clock() const { return clock_; }
  const std::string& directory() const { return directory_; }
  std::string indexPath() const;
  std::string dataFilePath(std::uint32_t number) const;
  // The descriptor of the open index, -1 when none is open.
  int fileDescriptor() const { return fd_; }
  CacheHeader& header() { return header_; }
  const CacheHeader& header() const { return header_; }
  bool readRecord(std::uint32_t offset, CacheRecord& record) const;
  bool writeRecord(std::uint32_t offset, const CacheRecord& record);
  // Whether a validation is running (the rebuild's re-open then skips it).
  bool validating() const { return validating_; }

  // Takes the lock and brings the index up to date with the file (see the
  // top of this file); the matching release is unlock(). False on time-out.
  bool lock();
  void unlock();

 private:
  bool openLocked(bool& recreate);
  bool createLocked();
  void closeLocked();
  bool refreshLocked(bool abandoned);
  bool readHeader();
  bool writeHeaderFields();
  bool writeHead(std::uint32_t bucket);
  bool repair(const char* code, const std::string& detail = {});
  std::optional<std::string> repairFailed(const char* code);
  bool plausibleOffset(std::uint32_t offset) const;
  bool linked(std::uint32_t offset) const;
  std::optional<std::string> replace(std::uint32_t offset, const CacheRecord& old, CacheRecord record,
                                     const std::string& bodyFile);
  std::optional<std::string> append(std::uint32_t bucket, std::uint32_t last, CacheRecord record,
                                    const std::string& bodyFile);
  bool link(std::uint32_t bucket, std::uint32_t last, std::uint32_t position);
  void giveBack(std::uint32_t number);
  std::optional<std::uint32_t> claimDataNumber(const std::string& bodyFile);
  void removeDataFile(const CacheRecord& record);
  void noteChange();

  qvUserInterface& ui_;
  qvCacheMutex& mutex_;
  std::string directory_;
  CacheClock clock_;
  CacheDataNumbers numbers_;
  Maintenance maintenance_;
  int fd_ = -1;
  // Device and inode of the open file, to notice a replaced index.
  std::uint64_t device_ = 0;
  std::uint64_t inode_ = 0;
  std::uint64_t seenChangeCount_ = 0;
  CacheHeader header_;
  bool validating_ = false;
};

// Holds CacheIndex::lock() for a scope.
class CacheIndexLock {
 public:
  explicit CacheIndexLock(CacheIndex& index) : index_(index), held_(index.lock()) {}
  ~CacheIndexLock() {
    if (held_) index_.unlock();
  }
  CacheIndexLock(const CacheIndexLock&) = delete;
  CacheIndexLock& operator=(const CacheIndexLock&) = delete;
  bool held() const { return held_; }

 private:
  CacheIndex& index_;
  bool held_;
};
