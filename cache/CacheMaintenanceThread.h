#pragma once
// The cache's background thread: once a period it sends the window the cache
// figures (entries, bytes, hits, misses) and carries out the cache commands
// the user posted in the user interface's command word. Runs until the
// program exits or the object goes; the object's end waits at most one
// command's run, never a whole period.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class qvUserInterface;

// Bits of the command word, run in the order dump, rebuild, validate, clear.
namespace CacheCommand {
enum : int { kDump = 0x1, kClear = 0x2, kRebuild = 0x4, kValidate = 0x8 };
}

class CacheMaintenanceThread {
 public:
  struct Figures {
    int entries = 0;
    int bytes = 0;
    int hits = 0;
    int misses = 0;
  };
  using FigureSource = std::function<Figures()>;
  // Runs the commands of a non-zero word, holding the cache lock throughout.
  using CommandRunner = std::function<void(int commands)>;

  CacheMaintenanceThread(qvUserInterface& ui, FigureSource figures, CommandRunner run,
                         std::chrono::milliseconds period = std::chrono::milliseconds(1000));
  ~CacheMaintenanceThread();
  CacheMaintenanceThread(const CacheMaintenanceThread&) = delete;
  CacheMaintenanceThread& operator=(const CacheMaintenanceThread&) = delete;

  // Takes the posted commands and leaves 0, in one step, so a command posted
  // while the previous ones are being read is never wiped out unseen.
  static int takeCommands(int* word);

 private:
  void loop(std::stop_token stop);

  qvUserInterface& ui_;
  FigureSource figures_;
  CommandRunner run_;
  std::chrono::milliseconds period_;
  int* word_;
  std::mutex wakeMutex_;
  std::condition_variable_any wake_;
  // Last, so that everything the thread uses exists before it starts.
  std::jthread thread_;
};
