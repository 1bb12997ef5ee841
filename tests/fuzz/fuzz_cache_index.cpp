// Feeds damaged cache indexes to the index: the input gives the header's
// counters, the heads of the buckets of four probe keys and the records
// behind the header. The index is opened (or recreated), the probe keys are
// looked up and stored, and a key stored without complaint must be found
// with what was stored. For one input length in eight the upkeep then runs
// over what is left: validation, a dump and a rebuild, after which the index
// must validate without an error. (Upkeep walks all 32,768 buckets and costs
// half a second an input under the sanitizers; on every input it held the
// target to two runs a second.) Nothing may crash, hang or read past a
// record.

#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cache/CacheFormat.h"
#include "cache/CacheIndex.h"
#include "cache/CacheKey.h"
#include "cache/CacheMaintenance.h"
#include "platform/qvCacheMutex.h"
#include "ui/qvUserInterface.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

class QuietInterface : public qvUserInterface {
 public:
  int warnings = 0;
  int getValue(int) override { return 1; }
  void showWarning(const std::string&) override { ++warnings; }
};

// A cache folder and a lock of this process, gone when it ends normally.
struct Workspace {
  std::string root;
  std::string directory;
  std::string lockName;
  Workspace() {
    root = (std::filesystem::temp_directory_path() / "corvane-fuzz-XXXXXX").string();
    check(::mkdtemp(root.data()) != nullptr);
    directory = root + "/Cache";
    std::filesystem::create_directories(directory);
    lockName = "/CorvaneCacheFuzz." + std::to_string(::getpid());
  }
  ~Workspace() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    ::shm_unlink(lockName.c_str());
  }
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;
};

const char* const kProbes[] = {"http://a/1", "http://a/2", "http://b/x", "http://c/"};

std::vector<unsigned char> indexFile(const std::uint8_t* data, std::size_t size) {
  using namespace cacheformat;
  if (size < kHeaderFieldsSize) return {data, data + size};
  std::vector<unsigned char> file = CacheHeader::empty(0).encode();
  std::copy(data, data + kHeaderFieldsSize, file.begin());
  std::size_t at = kHeaderFieldsSize;
  for (const char* probe : kProbes) {
    if (at + 4 > size) break;
    const std::uint32_t bucket = bucketOf(cacheHash(cacheKey(probe)));
    std::copy(data + at, data + at + 4, file.begin() + static_cast<long>(CacheHeader::headOffset(bucket)));
    at += 4;
  }
  file.insert(file.end(), data + at, data + size);
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Workspace workspace;
  static qvCacheMutex mutex(workspace.lockName);
  if (size > 4 * cacheformat::kHeaderSize) return 0;
  for (const auto& entry : std::filesystem::directory_iterator(workspace.directory)) {
    std::filesystem::remove(entry.path());
  }
  const std::vector<unsigned char> file = indexFile(data, size);
  std::ofstream(workspace.directory + "/cache.idx", std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));

  QuietInterface ui;
  CacheIndex index(ui, mutex, workspace.directory, CacheClock(0));
  CacheMaintenance upkeep(index, workspace.directory + "/cache.dump");
  upkeep.attach();
  if (!index.openOrCreate()) return 0;
  for (const char* probe : kProbes) {
    const auto record = index.lookup(cacheKey(probe));
    if (record) check(record->key == cacheKey(probe) && record->value.size() <= cacheformat::kMaxValueLength);
  }
  for (const char* probe : kProbes) {
    const int before = ui.warnings;
    const auto stored = index.store(cacheKey(probe), "text/plain", 5, false);
    if (!stored || ui.warnings != before) continue;
    const auto record = index.lookup(cacheKey(probe));
    if (ui.warnings != before) continue;
    check(record.has_value() && record->value == "text/plain" && cacheformat::dataNumberText(record->dataNumber) == *stored);
  }
  if (size % 8 != 0) return 0;
  upkeep.validate();
  upkeep.dump();
  if (!upkeep.rebuild()) return 0;
  check(upkeep.validate() == 0);
  return 0;
}
