#include "cache/CacheDump.h"

#include <sys/stat.h>

#include <cinttypes>
#include <cstdio>
#include <memory>
#include <unordered_set>

#include "cache/CacheIndex.h"
#include "ui/qvUserInterface.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {

using namespace cacheformat;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

struct Totals {
  long entries = 0;
  long errors = 0;
  long slots = 0;
  long longest = 0;
  std::uint64_t bytes = 0;
  bool cancelled = false;
};

bool cancelPressed(qvUserInterface& ui) { return (ui.getStatus() & qvStatusBit::kJustStop) != 0; }

bool readable(const CacheIndex& index, std::uint32_t offset) {
  return offset >= kHeaderSize && (offset - kHeaderSize) % kRecordSize == 0 &&
         std::uint64_t{offset} + kRecordSize <= index.header().allocatedSize;
}

void dumpChain(CacheIndex& index, std::FILE* out, std::uint32_t bucket, Totals& totals) {
  qvUserInterface& ui = index.ui();
  std::unordered_set<std::uint32_t> seen;
  std::uint32_t previous = kNoRecord;
  std::uint32_t offset = index.header().heads[bucket];
  for (long link = 0; offset != kNoRecord; ++link) {
    if (cancelPressed(ui)) {
      std::fputs("Cancel pressed\n", out);
      totals.cancelled = true;
      return;
    }
    ui.setStatusText("Index " + std::to_string(bucket) + " link " + std::to_string(link) + " pos " +
                     std::to_string(offset));
    ++totals.entries;
    totals.longest = std::max(totals.longest, link);
    CacheRecord record;
    if (!readable(index, offset) || !index.readRecord(offset, record)) {
      std::fprintf(out, "Broken chain at %u link %ld (pos %08" PRIx32 ") [cannot read]\n", bucket, link, offset);
      ++totals.errors;
      return;
    }
    if (!seen.insert(offset).second) {
      std::fprintf(out, "Broken chain at %u link %ld (pos %08" PRIx32 ") [visited before]\n", bucket, link, offset);
      ++totals.errors;
      return;
    }
    if (record.previous != previous) {
      std::fprintf(out, "Broken chain at %u link %ld (pos %08" PRIx32 ") [current.last == %08" PRIx32
                   ", last == %08" PRIx32 "]\n", bucket, link, offset, record.previous, previous);
      ++totals.errors;
    }
    if (record.next == offset) {
      std::fprintf(out, "Circular link at %u link %ld (pos %08" PRIx32 ") [current.next == %08" PRIx32
                   ", current == %08" PRIx32 "]\n", bucket, link, offset, record.next, offset);
      ++totals.errors;
      return;
    }
    std::fprintf(out, "%08" PRIx32 " %04u:%04ld %.*s %.*s %02x %08" PRIx32 "\n", offset, bucket, link,
                 static_cast<int>(record.key.size()), record.key.data(), static_cast<int>(record.value.size()),
                 record.value.data(), static_cast<unsigned>(record.flags), record.dataNumber);
    totals.bytes += record.size;
    previous = offset;
    offset = record.next;
  }
}

}  // namespace

void CacheDump::run() {
  CacheIndexLock lock(index_);
  if (!lock.held() || !index_.isOpen()) return;
  const std::unique_ptr<std::FILE, FileCloser> out(std::fopen(path_.c_str(), "w"));
  if (!out) return;
  struct stat info {};
  const long long length = ::fstat(index_.fileDescriptor(), &info) == 0 ? info.st_size : 0;
  const long long blocks = (length - static_cast<long long>(kHeaderSize)) / static_cast<long long>(kRecordSize);
  std::fprintf(out.get(), "File is        %lld bytes in size.\n", length);
  std::fprintf(out.get(), "Header is      %zu bytes\n", kHeaderSize);
  std::fprintf(out.get(), "Difference is  %lld bytes\n", length - static_cast<long long>(kHeaderSize));
  std::fprintf(out.get(), "File contains  %lld blocks\n", blocks);
  std::fprintf(out.get(), "Header reports %" PRIu32 " bytes of data cached\n\n", index_.header().bytesCached);
  Totals totals;
  for (std::uint32_t bucket = 0; bucket < kBucketCount && !totals.cancelled; ++bucket) {
    index_.ui().setStatusText("Index " + std::to_string(bucket));
    if (cancelPressed(index_.ui())) {
      std::fputs("Cancel pressed\n", out.get());
      break;
    }
    if (index_.header().heads[bucket] == kNoRecord) continue;
    ++totals.slots;
    dumpChain(index_, out.get(), bucket, totals);
  }
  std::fprintf(out.get(), "\nTotal entries found was    %ld\n", totals.entries);
  std::fprintf(out.get(), "Total entries expected was %lld\n", blocks);
  std::fprintf(out.get(), "Total errors found was     %ld\n", totals.errors);
  std::fprintf(out.get(), "Total cache slots used was %ld\n", totals.slots);
  std::fprintf(out.get(), "Longest chain was          %ld\n", totals.longest);
  std::fprintf(out.get(), "Actual bytes counted is    %" PRIu64 "\n", totals.bytes);
}
