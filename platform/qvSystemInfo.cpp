#include "platform/qvSystemInfo.h"

#include <malloc.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <ctime>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

// The kB figures of /proc/meminfo, in bytes.
std::map<std::string, std::int64_t> readMeminfo() {
  std::map<std::string, std::int64_t> figures;
  std::ifstream in("/proc/meminfo");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string name;
    std::int64_t kb = 0;
    if (fields >> name >> kb) {
      if (!name.empty() && name.back() == ':') name.pop_back();
      figures[name] = kb * 1024;
    }
  }
  return figures;
}

std::int64_t processVirtualSize() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("VmSize:", 0) != 0) continue;
    std::istringstream fields(line.substr(7));
    std::int64_t kb = 0;
    fields >> kb;
    return kb * 1024;
  }
  return 0;
}

// x86-64 user space with 4-level page tables: 128 TiB less the guard page.
constexpr std::int64_t kUserAddressSpace = 0x7FFFFFFFF000LL;

}  // namespace

namespace qvSystemInfo {

std::int64_t memoryStatus(int selector) {
  if (selector < 0 || selector > 6) return -1;
  if (selector == 5) return kUserAddressSpace;
  if (selector == 6) return kUserAddressSpace - processVirtualSize();
  auto info = readMeminfo();
  std::int64_t total = info["MemTotal"];
  std::int64_t available = info.count("MemAvailable") ? info["MemAvailable"] : info["MemFree"];
  if (total == 0) {
    struct sysinfo si {};
    if (::sysinfo(&si) == 0) {
      total = static_cast<std::int64_t>(si.totalram) * si.mem_unit;
      available = static_cast<std::int64_t>(si.freeram) * si.mem_unit;
    }
  }
  switch (selector) {
    case 0: return total > 0 ? (total - available) * 100 / total : 0;
    case 1: return total;
    case 2: return available;
    case 3: return total + info["SwapTotal"];
    default: return available + info["SwapFree"];
  }
}

std::int64_t heapTotal() {
  struct mallinfo2 info = ::mallinfo2();
  return static_cast<std::int64_t>(info.arena + info.hblkhd);
}

std::int64_t heapFree() {
  struct mallinfo2 info = ::mallinfo2();
  return static_cast<std::int64_t>(info.fordblks);
}

int timeZoneBias() {
  std::time_t now = std::time(nullptr);
  struct tm local {};
  ::localtime_r(&now, &local);
  return static_cast<int>(-local.tm_gmtoff / 60);
}

void setThreadPriority(ThreadPriority priority) {
  int nice = 0;
  switch (priority) {
    case ThreadPriority::Lowest: nice = 19; break;
    case ThreadPriority::BelowNormal: nice = 5; break;
    case ThreadPriority::Normal: nice = 0; break;
    case ThreadPriority::AboveNormal: nice = -5; break;
    case ThreadPriority::Highest: nice = -15; break;
  }
  // On Linux a thread id names the thread alone for setpriority.
  auto tid = static_cast<id_t>(::syscall(SYS_gettid));
  (void)::setpriority(PRIO_PROCESS, tid, nice);
}

}  // namespace qvSystemInfo
