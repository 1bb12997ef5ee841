#pragma once
// Small questions the engine asks the operating system: memory figures for
// the debug logs, the time-zone bias and the priority of the calling thread.

#include <cstdint>

namespace qvSystemInfo {

// One field of the memory status: 0 memory load in percent, 1 total
// physical bytes, 2 available physical bytes, 3 total paging bytes (memory
// plus swap), 4 available paging bytes, 5 total user address space, 6 free
// user address space. Any other selector gives -1.
std::int64_t memoryStatus(int selector);

// The engine's heap as the C library's allocator sees it.
std::int64_t heapTotal();
std::int64_t heapFree();

// Minutes to add to local time to get UTC (west of Greenwich is positive).
int timeZoneBias();

enum class ThreadPriority { Lowest, BelowNormal, Normal, AboveNormal, Highest };

// Sets the calling thread's scheduling priority. The system may refuse to
// raise it (only a privileged process may); that is not an error here.
void setThreadPriority(ThreadPriority priority);

}  // namespace qvSystemInfo
