#include "cache/CacheMaintenance.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "cache/CacheDump.h"
#include "cache/CacheIndex.h"
#include "cache/CacheMaintenanceThread.h"
#include "cache/CacheRebuild.h"
#include "cache/CacheRecordScan.h"
#include "cache/CacheValidation.h"
#include "ui/qvUserInterface.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {

constexpr std::uint64_t kLargestLimitMegabytes = 4294;

}  // namespace

CacheMaintenance::CacheMaintenance(CacheIndex& index, std::string dumpPath)
    : index_(index), dumpPath_(std::move(dumpPath)) {}

void CacheMaintenance::attach() {
  index_.setMaintenance({[this] { return validate(); }, [this] { return rebuild(); },
                         [this] { return recountBytes(); }});
}

std::uint64_t CacheMaintenance::limitBytes() const {
  const int megabytes = index_.ui().getValue(qvValueIndex::kCacheSizeLimit);
  if (megabytes <= 0) return 0;
  return std::min<std::uint64_t>(static_cast<std::uint64_t>(megabytes), kLargestLimitMegabytes) * 1000000u;
}

int CacheMaintenance::validate() { return CacheValidation(index_).run(); }

bool CacheMaintenance::rebuild() { return CacheRebuild(index_, limitBytes()).run(); }

void CacheMaintenance::dump() { CacheDump(index_, dumpPath_).run(); }

std::int64_t CacheMaintenance::recountBytes() {
  CacheIndexLock lock(index_);
  if (!lock.held() || !index_.isOpen()) return -1;
  std::int64_t total = 0;
  CacheRecordScan(index_.fileDescriptor(), index_.header().allocatedSize)
      .politely(index_.ui())
      .run([&](std::uint32_t, const CacheRecord& record) {
        if (record.inUse != 0 && !record.isAlias()) total += record.size;
      });
  return total;
}

bool CacheMaintenance::clear() {
  CacheIndexLock lock(index_);
  if (!lock.held()) return false;
  index_.close();
  // The fresh index is in place before any body goes: an interrupted clear
  // never leaves records naming deleted files, whose numbers a later store
  // could hand to another URL.
  const bool opened = index_.create() && index_.open();
  deleteDataFiles();
  return opened;
}

void CacheMaintenance::deleteDataFiles() {
  qvUserInterface& ui = index_.ui();
  const std::string base = "Cleaning up cache files ";
  std::string progress = base;
  ui.setStatusText(progress);
  long done = 0;
  for (const std::string& name : cacheformat::dataFileNames(index_.directory())) {
    if (ui.shouldExit()) return;
    const std::string path = index_.directory() + "/" + name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(path.c_str());
    if (++done % 100 != 0) continue;
    progress = progress.size() > 100 ? base : progress + ".";
    ui.setStatusText(progress);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if ((ui.getStatus() & qvStatusBit::kJustStop) != 0) return;
  }
  ui.setStatusText("Done");
}

bool CacheMaintenance::makeRoomForStore() {
  CacheIndexLock lock(index_);
  if (!lock.held() || !index_.isOpen()) return false;
  const CacheHeader& header = index_.header();
  if (header.bytesCached >= limitBytes()) {
    index_.ui().setStatusText("Resizing cache - please wait");
    return rebuild();
  }
  if (header.recordCount > 250 && header.fragmentCount >= header.recordCount / 10) {
    index_.ui().setStatusText("Defragmenting cache index - please wait");
    return rebuild();
  }
  return true;
}

void CacheMaintenance::runCommands(int commands) {
  CacheIndexLock lock(index_);
  if (!lock.held()) return;
  if (commands & CacheCommand::kDump) dump();
  if (commands & CacheCommand::kRebuild) rebuild();
  if (commands & CacheCommand::kValidate) validate();
  if (commands & CacheCommand::kClear) clear();
}
