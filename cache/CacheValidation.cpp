#include "cache/CacheValidation.h"

#include <unordered_set>

#include "cache/CacheIndex.h"
#include "cache/CacheKey.h"
#include "cache/CacheRecordScan.h"
#include "ui/qvUserInterface.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {

using namespace cacheformat;

bool onGrid(std::uint32_t offset, std::uint32_t fileSize) {
  return offset >= kHeaderSize && (offset - kHeaderSize) % kRecordSize == 0 &&
         std::uint64_t{offset} + kRecordSize <= fileSize;
}

bool cancelled(qvUserInterface& ui) { return (ui.getStatus() & qvStatusBit::kJustStop) != 0 || ui.shouldExit(); }

struct Walk {
  CacheIndex& index;
  std::unordered_set<std::uint32_t> reached;
  std::uint32_t entries = 0;
  int errors = 0;
  bool stopped = false;

  // One bucket's chain; a record it cannot trust ends it.
  void chain(std::uint32_t bucket) {
    std::uint32_t previous = kNoRecord;
    std::uint32_t offset = index.header().heads[bucket];
    while (offset != kNoRecord) {
      if (cancelled(index.ui())) {
        stopped = true;
        return;
      }
      CacheRecord record;
      if (!onGrid(offset, index.header().allocatedSize) || !reached.insert(offset).second ||
          !index.readRecord(offset, record)) {
        ++errors;
        return;
      }
      if (record.previous != previous) ++errors;
      if (record.inUse != 1 || record.lengthsDamaged || record.hash != cacheHash(record.key) ||
          bucketOf(record.hash) != bucket) {
        ++errors;
      } else if (!record.isAlias()) {
        ++entries;
      }
      if (record.next == offset) {
        ++errors;
        return;
      }
      previous = offset;
      offset = record.next;
    }
  }
};

// Records in use that sit where appends went but that no chain reaches, and
// counters that do not match them.
int countStrays(CacheIndex& index, const Walk& walk) {
  const CacheHeader& header = index.header();
  int errors = 0;
  std::uint32_t inUse = 0;
  const std::uint64_t end = std::min<std::uint64_t>(header.appendPosition, header.allocatedSize);
  CacheRecordScan(index.fileDescriptor(), end).run([&](std::uint32_t offset, const CacheRecord& record) {
    if (record.inUse == 0) return;
    ++inUse;
    if (!walk.reached.contains(offset)) ++errors;
  });
  if (header.recordCount != inUse) ++errors;
  if (header.entryCount != walk.entries) ++errors;
  return errors;
}

int headerErrors(const CacheHeader& header) {
  int errors = 0;
  if (header.bucketCount != kBucketCount) ++errors;
  const bool appendSound = header.appendPosition >= kHeaderSize &&
                           (header.appendPosition - kHeaderSize) % kRecordSize == 0 &&
                           header.appendPosition <= header.allocatedSize;
  if (!appendSound) ++errors;
  if (header.firstRecord != 0 && !onGrid(header.firstRecord, header.allocatedSize)) ++errors;
  return errors;
}

}  // namespace

int CacheValidation::run() {
  CacheIndexLock lock(index_);
  if (!lock.held() || !index_.isOpen()) return 0;
  qvUserInterface& ui = index_.ui();
  Walk walk{index_, {}, 0, 0, false};
  for (std::uint32_t bucket = 0; bucket < kBucketCount && !walk.stopped; ++bucket) {
    ui.setStatusText("Validating cache : Index " + std::to_string(bucket));
    if (cancelled(ui)) return walk.errors;
    walk.chain(bucket);
  }
  if (walk.stopped) return walk.errors;
  return walk.errors + headerErrors(index_.header()) + countStrays(index_, walk);
}
