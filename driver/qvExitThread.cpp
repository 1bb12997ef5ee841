#include "driver/qvExitThread.h"

#include <thread>

#include "platform/qvSystemInfo.h"
#include "ui/qvUserInterface.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {

// Started when the user closes the program: gives the library's own shutdown
// a moment. The hook at its end has nothing left to do on this platform.
void startTerminateThread() {
  std::thread([] {
    qvSystemInfo::setThreadPriority(qvSystemInfo::ThreadPriority::Highest);
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  }).detach();
}

}  // namespace

qvExitThread::qvExitThread(qvUserInterface& ui, Actions actions, std::chrono::milliseconds interval)
    : ui_(ui), actions_(std::move(actions)) {
  startTicking(interval, [this] { tick(); });
}

void qvExitThread::tick() {
  // Acting once is enough: the engine thread ends the process at its next
  // poll, and a second clean-up would find nothing to do.
  if (exitsSeen_ > 0 || !ui_.shouldExit()) return;
  ++exitsSeen_;
  startTerminateThread();
  if (actions_.closeLog) actions_.closeLog();
  if ((ui_.getToggles() & qvToggleBit::kSettingsLoaded) == 0) return;
  ui_.setStatusText("Cleaning up temporary files ");
  if (actions_.cleanWorkingFiles) actions_.cleanWorkingFiles();
}
