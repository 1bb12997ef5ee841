#include "cache/CacheRecordScan.h"

#include <unistd.h>

#include <chrono>
#include <span>
#include <thread>
#include <vector>

#include "ui/qvUserInterface.h"

bool CacheRecordScan::run(const std::function<void(std::uint32_t, const CacheRecord&)>& visit) const {
  using cacheformat::kHeaderSize;
  using cacheformat::kRecordSize;
  const std::uint64_t end = std::min<std::uint64_t>(end_, 0xFFFFFFFFu);
  std::vector<unsigned char> batch(kBatchRecords * kRecordSize);
  for (std::uint64_t offset = kHeaderSize; offset + kRecordSize <= end;) {
    if (ui_ != nullptr && ui_->shouldExit()) return false;
    const std::uint64_t want = std::min<std::uint64_t>(batch.size(), (end - offset) / kRecordSize * kRecordSize);
    const ssize_t got = ::pread(fd_, batch.data(), want, static_cast<off_t>(offset));
    if (got < static_cast<ssize_t>(kRecordSize)) return false;
    const std::size_t records = static_cast<std::size_t>(got) / kRecordSize;
    for (std::size_t i = 0; i < records; ++i) {
      const std::span<const unsigned char, kRecordSize> bytes(batch.data() + i * kRecordSize, kRecordSize);
      visit(static_cast<std::uint32_t>(offset + i * kRecordSize), CacheRecord::decode(bytes));
    }
    offset += records * kRecordSize;
    if (ui_ != nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}
