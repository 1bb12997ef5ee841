#include "cache/CachePolicy.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <utility>

#include "cache/CacheIndex.h"
#include "cache/CacheKey.h"
#include "cache/ConditionalLine.h"
#include "net/HeaderList.h"
#include "ui/qvUserInterface.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {

// The length of the file at `path` when it opens for reading; none otherwise.
std::optional<long long> readableLength(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<long long>(info.st_size);
}

}  // namespace

CachePolicy::CachePolicy(qvUserInterface& ui, CacheIndex& index) : ui_(ui), index_(index) {}

bool CachePolicy::enabled() const { return ui_.getValue(qvValueIndex::kCacheEnabled) != 0 && index_.isOpen(); }

std::optional<CachePolicy::Served> CachePolicy::serve(std::string_view url, const std::string& workingFile) const {
  if (!enabled()) return std::nullopt;
  const std::optional<CacheRecord> entry = index_.lookupInto(cacheKey(url), workingFile);
  if (!entry) return std::nullopt;
  if (entry->isAlias()) {
    return Served{kAliasMarker,
                  {"Location: " + entry->value, "X-Corvane-Aliased: True", std::string("Content-Type: ") + kAliasType}};
  }
  // A data file cut short (or grown) is not the body that was stored.
  const std::optional<long long> length = readableLength(workingFile);
  if (!length || *length != static_cast<long long>(entry->size)) return std::nullopt;
  return Served{workingFile,
                {"Content-Type: " + entry->value, "Content-Length: " + std::to_string(*length),
                 "X-Cached-By: Corvane 1.1"}};
}

EntryState CachePolicy::entryState(std::string_view url) const {
  if (!enabled()) return EntryState::kAbsent;
  const std::string key = cacheKey(url);
  const std::optional<CacheRecord> entry = index_.lookup(key);
  if (!entry) return EntryState::kAbsent;
  if (!entry->mustRevalidate()) return EntryState::kFresh;
  ui_.showWarning("Checking validity of cached copy of " + key);
  ui_.showWarning(" (Server specified Cache-Control: Must-Revalidate)");
  return EntryState::kMustRevalidate;
}

std::optional<std::string> CachePolicy::conditionalLine(std::string_view url) const {
  if (!enabled()) return std::nullopt;
  const std::optional<CacheRecord> entry = index_.lookup(cacheKey(url));
  if (!entry) return std::nullopt;
  if (!entry->isAlias() && !readableLength(index_.dataFilePath(entry->dataNumber))) return std::nullopt;
  std::string line = ::conditionalLine(entry->timeStored);
  if (line.empty()) return std::nullopt;
  return line;
}

bool CachePolicy::isCached(std::string_view url) const {
  if (!enabled()) return false;
  const std::optional<CacheRecord> entry = index_.lookup(cacheKey(url));
  if (!entry) return false;
  if (entry->isAlias()) return true;
  const std::optional<long long> length = readableLength(index_.dataFilePath(entry->dataNumber));
  return length && *length > 0 && *length == static_cast<long long>(entry->size);
}

std::optional<StoreVerdict> CachePolicy::allowed(std::string_view key, const HeaderList& responseHeaders) const {
  const StoreVerdict verdict =
      decideStore(key, responseHeaders, ui_.getValue(qvValueIndex::kCacheCgi) != 0);
  if (!verdict.store) {
    if (!verdict.reason.empty()) {
      ui_.showWarning("URL " + std::string(key) + " not stored in cache");
      ui_.showWarning(verdict.reason);
    }
    return std::nullopt;
  }
  if (beforeStore_ && !beforeStore_()) return std::nullopt;
  return verdict;
}

bool CachePolicy::storeBody(std::string_view url, const HeaderList& responseHeaders, std::string_view contentType,
                            const std::string& bodyFile, std::uint32_t size) {
  if (!enabled()) return false;
  const std::string key = cacheKey(url);
  const std::optional<StoreVerdict> verdict = allowed(key, responseHeaders);
  if (!verdict) return false;
  errno = 0;
  const std::optional<std::string> number =
      index_.store(key, contentType, size, false, verdict->mustRevalidate, bodyFile);
  const int error = errno;
  if (!number) reportWriteFailure(error);
  return number.has_value();
}

bool CachePolicy::recordAlias(std::string_view url, std::string_view target, const HeaderList& responseHeaders) {
  if (!enabled()) return false;
  const std::string key = cacheKey(url);
  const std::optional<StoreVerdict> verdict = allowed(key, responseHeaders);
  if (!verdict) return false;
  errno = 0;
  const bool stored = index_.store(key, target, 0, true, verdict->mustRevalidate).has_value();
  const int error = errno;
  if (!stored) reportWriteFailure(error);
  return stored;
}

// Only the folder's own faults are reported here: a lock time-out or a
// damaged index has its own report, or none.
void CachePolicy::reportWriteFailure(int error) {
  const bool folderFault = error == EACCES || error == EPERM || error == EROFS || error == ENOSPC ||
                           error == EDQUOT || error == EIO || error == EFBIG;
  if (writeFailureShown_ || !folderFault) return;
  writeFailureShown_ = true;
  ui_.showWarning(std::string("Cannot write to the cache folder: ") + std::strerror(error));
}
