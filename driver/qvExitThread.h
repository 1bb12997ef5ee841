#pragma once
// The exit watcher. Once a second it asks the user interface whether the user
// has closed the program; when so, it closes the main log and, if the
// library's settings were loaded (toggle 0x20), deletes the working files in
// "rtf". The process itself is ended by the engine thread's next poll.

#include <chrono>
#include <atomic>
#include <functional>

#include "ui/qvMemoryLog.h"

class qvUserInterface;

class qvExitThread : public qvPeriodicThread {
 public:
  // Called once the user has closed the program.
  struct Actions {
    std::function<void()> closeLog;
    std::function<void()> cleanWorkingFiles;
  };

  // Starts watching `ui`, which must outlive the thread.
  qvExitThread(qvUserInterface& ui, Actions actions,
               std::chrono::milliseconds interval = std::chrono::milliseconds(1000));
  ~qvExitThread() { stop(); }

  // How many times the watcher has seen the exit request (for tests).
  int exitsSeen() const { return exitsSeen_; }

 private:
  void tick();

  qvUserInterface& ui_;
  Actions actions_;
  std::atomic<int> exitsSeen_{0};
};
