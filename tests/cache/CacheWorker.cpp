// A second engine process for the cache tests: opens the index in the cache
// directory it is given, under the lock name it is given, and stores.
//
//   CacheWorker DIR LOCK share NAME COUNT
//     stores keys 0..COUNT-1 of one shared set, each with the body "NAME key
//     I", and after each store looks the key up and checks that its data
//     file holds a body of that key (either process's). Exit status 1 on a
//     mismatch.
//   CacheWorker DIR LOCK churn FIRST KEYS LOG
//     stores forever: store number N (from FIRST on) writes key N % KEYS
//     with the body "key K body N", and once the store returned appends "K
//     N" to LOG. Meant to be killed.
//   CacheWorker DIR LOCK rebuild
//   CacheWorker DIR LOCK clear
//     rebuilds, or clears, the cache again and again (limit 100 MB). Meant to
//     be killed.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "cache/CacheIndex.h"
#include "cache/CacheKey.h"
#include "cache/CacheMaintenance.h"
#include "platform/qvCacheMutex.h"
#include "ui/qvUserInterface.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {

class WorkerInterface : public qvUserInterface {
 public:
  int getValue(int index) override {
    if (index == qvValueIndex::kCacheSizeLimit) return 100;
    return index == qvValueIndex::kCacheDays ? 30 : 0;
  }
  void showWarning(const std::string& text) override { std::cerr << "warning: " << text << "\n"; }
};

std::string keyOf(long number) { return cacheKey("http://Shared.Example/page%41" + std::to_string(number)); }

// A new file each time, as the client writes one: the last body is still a
// name of a cache entry's file.
bool writeBody(const std::string& path, const std::string& body) {
  std::filesystem::remove(path);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << body;
  return static_cast<bool>(out.flush());
}

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

int share(CacheIndex& index, const std::string& work, const std::string& name, long count) {
  const std::string bodyFile = work + "/url.dat." + name;
  for (long i = 0; i < count; ++i) {
    const std::string body = name + " key " + std::to_string(i);
    if (!writeBody(bodyFile, body)) return 2;
    if (!index.store(keyOf(i), "text/html", static_cast<std::uint32_t>(body.size()), false, false, bodyFile)) {
      std::cerr << name << ": store of key " << i << " failed\n";
      return 1;
    }
    const auto record = index.lookup(keyOf(i));
    if (!record) {
      std::cerr << name << ": key " << i << " not found after its store\n";
      return 1;
    }
    const std::string found = readAll(index.dataFilePath(record->dataNumber));
    const std::string suffix = " key " + std::to_string(i);
    // The other process may have replaced the entry (and deleted this body)
    // between the lookup and the read; an empty read is that case.
    if (!found.empty() && (found.size() < suffix.size() || found.substr(found.size() - suffix.size()) != suffix)) {
      std::cerr << name << ": key " << i << " has the body \"" << found << "\"\n";
      return 1;
    }
  }
  return 0;
}

int churn(CacheIndex& index, const std::string& work, long first, long keys, const std::string& log) {
  const std::string bodyFile = work + "/url.dat." + std::to_string(::getpid());
  const int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  if (logFd < 0) return 2;
  for (long n = first;; ++n) {
    const long key = n % keys;
    const std::string body = "key " + std::to_string(key) + " body " + std::to_string(n);
    if (!writeBody(bodyFile, body)) return 2;
    if (!index.store(keyOf(key), "text/html", static_cast<std::uint32_t>(body.size()), false, false, bodyFile)) {
      continue;
    }
    const std::string line = std::to_string(key) + " " + std::to_string(n) + "\n";
    if (::write(logFd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) return 2;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  const std::string directory = argv[1];
  const std::string mode = argv[3];
  WorkerInterface ui;
  qvCacheMutex mutex(argv[2]);
  CacheIndex index(ui, mutex, directory, CacheClock(0));
  if (!index.openOrCreate()) return 3;
  if (mode == "share" && argc == 6) return share(index, directory, argv[4], std::atol(argv[5]));
  if (mode == "churn" && argc == 7) return churn(index, directory, std::atol(argv[4]), std::atol(argv[5]), argv[6]);
  if (mode != "rebuild" && mode != "clear") return 2;
  CacheMaintenance upkeep(index, directory + "/cache.dump");
  upkeep.attach();
  for (;;) {
    if (!(mode == "rebuild" ? upkeep.rebuild() : upkeep.clear())) return 1;
  }
}
