#include "cache/CacheIndex.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <vector>

#include "cache/CacheFileShare.h"
#include "cache/CacheKey.h"
#include "platform/qvCacheMutex.h"
#include "ui/qvUserInterface.h"
#include "ui/qvUserInterfaceCodes.h"

using namespace cacheformat;

namespace {

bool writeAll(int fd, const unsigned char* bytes, std::size_t length, off_t offset) {
  while (length > 0) {
    const ssize_t written = ::pwrite(fd, bytes, length, offset);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    length -= static_cast<std::size_t>(written);
    offset += written;
  }
  return true;
}

bool readAll(int fd, unsigned char* bytes, std::size_t length, off_t offset) {
  while (length > 0) {
    const ssize_t got = ::pread(fd, bytes, length, offset);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes += got;
    length -= static_cast<std::size_t>(got);
    offset += got;
  }
  return true;
}

std::uint32_t saturated(std::int64_t value) {
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>(value, 0, std::numeric_limits<std::uint32_t>::max()));
}

void syncDirectory(const std::string& directory) {
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

CacheIndex::CacheIndex(qvUserInterface& ui, qvCacheMutex& mutex, std::string directory, CacheClock clock)
    : ui_(ui), mutex_(mutex), directory_(std::move(directory)), clock_(clock) {}

CacheIndex::~CacheIndex() {
  close();
  if (fd_ >= 0) ::close(fd_);
}

void CacheIndex::setMaintenance(Maintenance maintenance) { maintenance_ = std::move(maintenance); }

std::string CacheIndex::indexPath() const { return directory_ + "/" + kIndexName; }

std::string CacheIndex::dataFilePath(std::uint32_t number) const { return directory_ + "/" + dataFileName(number); }

bool CacheIndex::isOpen() const { return fd_ >= 0; }

bool CacheIndex::lock() {
  const qvCacheMutex::Take take = mutex_.take(kLockWaitMilliseconds);
  if (take != qvCacheMutex::Take::acquired && take != qvCacheMutex::Take::abandoned) return false;
  const bool abandoned = take == qvCacheMutex::Take::abandoned;
  if (abandoned) ui_.showWarning("Warning : abandoned mutex - please report this as a bug");
  if (mutex_.depth() == 1) refreshLocked(abandoned);
  return true;
}

void CacheIndex::unlock() { mutex_.release(); }

// Another process may have replaced the index (rebuild, clear) or changed
// its header since this one last held the lock.
bool CacheIndex::refreshLocked(bool abandoned) {
  if (fd_ < 0) return false;
  struct stat status {};
  if (::stat(indexPath().c_str(), &status) != 0 || status.st_dev != device_ || status.st_ino != inode_) {
    ::close(fd_);
    fd_ = -1;
    bool recreate = false;
    const bool wasValidating = validating_;
    validating_ = true;  // another process has just written this index
    const bool opened = openLocked(recreate);
    validating_ = wasValidating;
    if (!opened) return false;
  } else if (abandoned || mutex_.changeCount() != seenChangeCount_) {
    if (!readHeader()) return false;
  }
  if (abandoned && !validating_ && maintenance_.validate && maintenance_.validate() > 0) {
    return maintenance_.rebuild && maintenance_.rebuild();
  }
  return true;
}

bool CacheIndex::readHeader() {
  std::vector<unsigned char> bytes(kHeaderSize);
  struct stat status {};
  if (!readAll(fd_, bytes.data(), bytes.size(), 0) || ::fstat(fd_, &status) != 0) {
    closeLocked();
    return false;
  }
  header_ = CacheHeader::decode(bytes);
  header_.allocatedSize = saturated(status.st_size);
  seenChangeCount_ = mutex_.changeCount();
  return true;
}

void CacheIndex::noteChange() { seenChangeCount_ = mutex_.bumpChangeCount(); }

bool CacheIndex::open() {
  CacheIndexLock guard(*this);
  if (!guard.held()) return false;
  bool recreate = false;
  return openLocked(recreate);
}

bool CacheIndex::openLocked(bool& recreate) {
  closeLocked();
  recreate = false;
  const int fd = ::open(indexPath().c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    recreate = errno == ENOENT;
    return false;
  }
  // Advisory only: tells other programs that look that the index is in use.
  struct flock range {};
  range.l_type = F_WRLCK;
  range.l_whence = SEEK_SET;
  range.l_len = off_t{1} << 44;
  ::fcntl(fd, F_SETLK, &range);

  struct stat status {};
  std::vector<unsigned char> bytes(kHeaderSize);
  const bool statted = ::fstat(fd, &status) == 0;
  if (!statted || status.st_size < static_cast<off_t>(kHeaderSize) || !readAll(fd, bytes.data(), bytes.size(), 0)) {
    recreate = statted && status.st_size < static_cast<off_t>(kHeaderSize);
    ::close(fd);
    return false;
  }
  if (readU32(bytes.data()) != kVersion) {
    ::close(fd);
    ui_.showWarning("Cache file version mismatch");
    recreate = true;
    return false;
  }
  fd_ = fd;
  device_ = status.st_dev;
  inode_ = status.st_ino;
  header_ = CacheHeader::decode(bytes);
  header_.allocatedSize = saturated(status.st_size);
  seenChangeCount_ = mutex_.changeCount();
  if (validating_) return true;

  const std::uint32_t now = clock_.now();
  if (now >= kOneDay && header_.lastValidation >= now - kOneDay) return true;
  validating_ = true;
  ui_.setStatusText("Validating cache index ... please wait");
  if (maintenance_.validate && maintenance_.validate() > 0) {
    ui_.setStatusText("Cache index has errors ... please wait while it is rebuilt");
    if (!maintenance_.rebuild || !maintenance_.rebuild() || fd_ < 0) {
      ui_.setStatusText("Rebuild failed ; cache turned off");
      validating_ = false;
      closeLocked();
      return false;
    }
  }
  validating_ = false;
  ui_.setStatusText("Done");
  header_.lastValidation = now;
  if (maintenance_.recountBytes) {
    const std::int64_t bytes = maintenance_.recountBytes();
    if (bytes >= 0) header_.bytesCached = saturated(bytes);
  }
  return writeHeader();
}

bool CacheIndex::create() {
  CacheIndexLock guard(*this);
  return guard.held() && createLocked();
}

// The new index is written whole beside the old one and renamed over it,
// so a kill leaves either index, never a truncated one.
bool CacheIndex::createLocked() {
  struct stat status {};
  if (::stat(directory_.c_str(), &status) != 0) {
    if (::mkdir(directory_.c_str(), 0755) != 0) return false;
  } else if (!S_ISDIR(status.st_mode)) {
    return false;
  }
  closeLocked();
  const std::string newPath = directory_ + "/" + kNewIndexName;
  const int fd = ::open(newPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  CacheHeader header = CacheHeader::empty(clock_.now());
  const std::vector<unsigned char> zeros(std::size_t{kGrowBlock} * kGrowBlocks, 0);
  bool written = writeAll(fd, zeros.data(), zeros.size(), 0);
  header.allocatedSize = static_cast<std::uint32_t>(zeros.size());
  const std::vector<unsigned char> bytes = header.encode();
  written = written && writeAll(fd, bytes.data(), bytes.size(), 0) && ::fsync(fd) == 0;
  ::close(fd);
  if (!written) {
    ::unlink(newPath.c_str());
    return false;
  }
  noteChange();
  if (::rename(newPath.c_str(), indexPath().c_str()) != 0) {
    ::unlink(newPath.c_str());
    return false;
  }
  syncDirectory(directory_);
  return true;
}

bool CacheIndex::openOrCreate() {
  CacheIndexLock guard(*this);
  if (!guard.held()) {
    ui_.showWarning("Cannot open or create cache index file");
    return false;
  }
  bool recreate = false;
  if (openLocked(recreate)) return true;
  if (!recreate || !createLocked()) {
    ui_.showWarning("Cannot open or create cache index file");
    return false;
  }
  if (!openLocked(recreate)) {
    ui_.showWarning("Cannot reopen new cache file");
    return false;
  }
  return true;
}

void CacheIndex::close() {
  CacheIndexLock guard(*this);
  if (!guard.held()) return;
  if (fd_ >= 0) writeHeader();
  closeLocked();
}

void CacheIndex::closeLocked() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool CacheIndex::writeHeader() {
  CacheIndexLock guard(*this);
  if (!guard.held() || fd_ < 0) return false;
  noteChange();
  const std::vector<unsigned char> bytes = header_.encode();
  return writeAll(fd_, bytes.data(), bytes.size(), 0);
}

bool CacheIndex::writeHeaderFields() {
  noteChange();
  const auto bytes = header_.encodeFields();
  return writeAll(fd_, bytes.data(), bytes.size(), 0);
}

bool CacheIndex::writeHead(std::uint32_t bucket) {
  noteChange();
  unsigned char bytes[4];
  writeU32(bytes, header_.heads[bucket]);
  return writeAll(fd_, bytes, sizeof bytes, static_cast<off_t>(CacheHeader::headOffset(bucket)));
}

bool CacheIndex::grow() {
  CacheIndexLock guard(*this);
  if (!guard.held() || fd_ < 0) return false;
  noteChange();
  const std::vector<unsigned char> zeros(kGrowBlock, 0);
  for (std::uint32_t block = 0; block < kGrowBlocks; ++block) {
    const off_t at = static_cast<off_t>(header_.allocatedSize) + static_cast<off_t>(block) * kGrowBlock;
    if (!writeAll(fd_, zeros.data(), zeros.size(), at)) return false;
  }
  struct stat status {};
  if (::fstat(fd_, &status) != 0) return false;
  header_.allocatedSize = saturated(status.st_size);
  return true;
}

bool CacheIndex::readRecord(std::uint32_t offset, CacheRecord& record) const {
  if (fd_ < 0) return false;
  std::array<unsigned char, kRecordSize> bytes{};
  if (!readAll(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset))) return false;
  record = CacheRecord::decode(bytes);
  return true;
}

bool CacheIndex::writeRecord(std::uint32_t offset, const CacheRecord& record) {
  if (fd_ < 0) return false;
  noteChange();
  const auto bytes = record.encode();
  return writeAll(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
}

bool CacheIndex::repair(const char* code, const std::string& detail) {
  ui_.showWarning(std::string("Cache index file corrupted ") + code + " !");
  if (!detail.empty()) ui_.showWarning(detail);
  if (maintenance_.rebuild) maintenance_.rebuild();
  return false;
}

// A record offset the index can hold: on the 512-byte grid behind the
// header, with the whole record inside the file.
bool CacheIndex::plausibleOffset(std::uint32_t offset) const {
  return offset >= kHeaderSize && (offset - kHeaderSize) % kRecordSize == 0 &&
         std::uint64_t{offset} + kRecordSize <= header_.allocatedSize;
}

std::optional<CacheRecord> CacheIndex::lookup(std::string_view key) {
  const std::uint32_t bucket = bucketOf(cacheHash(key));
  CacheIndexLock guard(*this);
  if (!guard.held() || fd_ < 0) return std::nullopt;
  std::uint32_t previous = kNoRecord;
  std::uint32_t offset = header_.heads[bucket];
  while (offset != kNoRecord) {
    if (!plausibleOffset(offset)) {
      repair("[5]");
      return std::nullopt;
    }
    CacheRecord record;
    if (!readRecord(offset, record)) return std::nullopt;
    if (record.previous != previous) {
      repair("[6]", std::string(key));
      return std::nullopt;
    }
    if (record.next == offset) {
      repair("[7]");
      return std::nullopt;
    }
    if (record.inUse == 1 && record.key == key) {
      if (record.expiry < clock_.now()) return std::nullopt;
      return record;
    }
    previous = offset;
    offset = record.next;
  }
  return std::nullopt;
}

// Claims a data number and makes the body its file, the caller keeping its
// own name of it. The number is taken by creating the file exclusively, so
// no other entry can hold it.
std::optional<std::uint32_t> CacheIndex::claimDataNumber(const std::string& bodyFile) {
  const std::optional<std::uint32_t> number = numbers_.claim(directory_);
  if (!number) return std::nullopt;
  if (bodyFile.empty()) return number;
  const std::string data = dataFilePath(*number);
  if (::rename(bodyFile.c_str(), data.c_str()) != 0) {
    const int error = errno;
    ::unlink(data.c_str());
    if (error != EXDEV) {
      errno = error;
      return std::nullopt;
    }
    // A cache folder on another file system (a link to a larger disk) takes
    // a copy; the number stays claimed only if the copy gets it first.
    if (shareFile(bodyFile, data)) return number;
    return std::nullopt;
  }
  // The caller goes on reading its own name of the body, which no other
  // process's store or trim can delete.
  if (!shareFile(data, bodyFile)) {
    const int error = errno;
    if (::rename(data.c_str(), bodyFile.c_str()) != 0) ::unlink(data.c_str());
    errno = error;
    return std::nullopt;
  }
  return number;
}

void CacheIndex::removeDataFile(const CacheRecord& record) {
  if (record.isAlias() || record.dataNumber == 0) return;
  ::unlink(dataFilePath(record.dataNumber).c_str());
}

std::optional<std::string> CacheIndex::store(std::string_view key, std::string_view value, std::uint32_t size,
                                             bool alias, bool mustRevalidate, const std::string& bodyFile) {
  CacheIndexLock guard(*this);
  if (!guard.held() || fd_ < 0) return std::nullopt;

  CacheRecord record;
  record.key = std::string(key.substr(0, kMaxKeyLength));
  record.value = std::string(value.substr(0, kMaxValueLength));
  record.size = size;
  record.flags = static_cast<std::uint16_t>((alias ? kFlagAlias : 0) | (mustRevalidate ? kFlagMustRevalidate : 0));
  record.inUse = 1;
  record.timeStored = clock_.now();
  const std::int64_t days = std::max(0, ui_.getValue(qvValueIndex::kCacheDays));
  record.expiry = saturated(std::int64_t{record.timeStored} + days * kOneDay);
  // The hash of the key as stored, so that a rebuild files it where it was.
  record.hash = cacheHash(record.key);
  const std::uint32_t bucket = bucketOf(record.hash);

  std::uint32_t previous = kNoRecord;
  std::uint32_t offset = header_.heads[bucket];
  CacheRecord found;
  while (offset != kNoRecord) {
    if (!plausibleOffset(offset)) return repairFailed("[1]");
    if (!readRecord(offset, found)) return std::nullopt;
    if (found.previous != previous) return repairFailed("[2]");
    if (found.next == offset) return repairFailed("[3]");
    if (found.inUse == 1 && found.key == record.key) return replace(offset, found, record, bodyFile);
    if (found.next == kNoRecord) break;
    previous = offset;
    offset = found.next;
  }
  return append(bucket, offset, record, bodyFile);
}

std::optional<std::string> CacheIndex::repairFailed(const char* code) {
  repair(code);
  return std::nullopt;
}

// Drops the cache's name of a body whose store failed; the caller still
// holds its own.
void CacheIndex::giveBack(std::uint32_t number) {
  if (number != 0) ::unlink(dataFilePath(number).c_str());
}

std::optional<CacheRecord> CacheIndex::lookupInto(std::string_view key, const std::string& destination) {
  CacheIndexLock guard(*this);
  if (!guard.held()) return std::nullopt;
  std::optional<CacheRecord> record = lookup(key);
  if (!record || record->isAlias()) return record;
  // Under the lock, so that no store or trim deletes the body in between.
  ::unlink(destination.c_str());
  if (!shareFile(dataFilePath(record->dataNumber), destination)) return std::nullopt;
  return record;
}

std::optional<std::string> CacheIndex::replace(std::uint32_t offset, const CacheRecord& old, CacheRecord record,
                                               const std::string& bodyFile) {
  std::uint32_t number = 0;
  if (!record.isAlias()) {
    const std::optional<std::uint32_t> claimed = claimDataNumber(bodyFile);
    if (!claimed) return std::nullopt;
    number = *claimed;
  }
  record.previous = old.previous;
  record.next = old.next;
  record.key = old.key;
  record.dataNumber = number;
  if (!writeRecord(offset, record)) {
    giveBack(number);
    return std::nullopt;
  }
  header_.bytesCached = saturated(std::int64_t{header_.bytesCached} - old.size + record.size);
  if (old.isAlias() != record.isAlias()) {
    header_.entryCount = saturated(std::int64_t{header_.entryCount} + (record.isAlias() ? -1 : 1));
  }
  writeHeaderFields();
  removeDataFile(old);
  return dataNumberText(number);
}

std::optional<std::string> CacheIndex::append(std::uint32_t bucket, std::uint32_t last, CacheRecord record, const std::string& bodyFile) {
  const std::uint32_t position = header_.appendPosition;
  if (!plausibleOffset(position) || linked(position)) return repairFailed("[4]");
  std::uint32_t number = 0;
  if (!record.isAlias()) {
    const std::optional<std::uint32_t> claimed = claimDataNumber(bodyFile);
    if (!claimed) return std::nullopt;
    number = *claimed;
  }
  record.dataNumber = number;
  record.previous = last;
  record.next = kNoRecord;
  // Until the link below is written the record is unreachable, and until
  // the counters are written the next append would simply overwrite it.
  if (!writeRecord(position, record)) {
    giveBack(number);
    return std::nullopt;
  }
  header_.appendPosition = position + kRecordSize;
  header_.recordCount += 1;
  if (!record.isAlias()) header_.entryCount += 1;
  header_.bytesCached = saturated(std::int64_t{header_.bytesCached} + record.size);
  if (header_.firstRecord == 0) header_.firstRecord = position;
  if (last != kNoRecord && position != last + kRecordSize) header_.fragmentCount += 1;
  if (!writeHeaderFields() || !link(bucket, last, position)) {
    giveBack(number);
    return std::nullopt;
  }
  if (std::uint64_t{header_.appendPosition} + kRecordSize > header_.allocatedSize) {
    grow();
    writeHeaderFields();
  }
  return dataNumberText(number);
}

// Whether the record at `offset` is part of a chain. A record in use that
// is not is what a store killed before its link left behind; the next
// append may overwrite it. One that is would be lost.
bool CacheIndex::linked(std::uint32_t offset) const {
  CacheRecord record;
  if (!readRecord(offset, record) || record.inUse != 1) return false;
  if (record.previous == kNoRecord) return header_.heads[bucketOf(record.hash)] == offset;
  CacheRecord previous;
  return plausibleOffset(record.previous) && readRecord(record.previous, previous) && previous.next == offset;
}

// The one write that makes an appended record reachable: the bucket head,
// or the next field of the chain's last record.
bool CacheIndex::link(std::uint32_t bucket, std::uint32_t last, std::uint32_t position) {
  if (last == kNoRecord) {
    header_.heads[bucket] = position;
    return writeHead(bucket);
  }
  noteChange();
  unsigned char bytes[4];
  writeU32(bytes, position);
  return writeAll(fd_, bytes, sizeof bytes, static_cast<off_t>(last) + 4);
}
