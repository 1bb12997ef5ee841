#include "corvane2/TGUIThread.h"

#include <QApplication>
#include <QMetaObject>
#include <QThread>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "corvane2/TqvNewStatus.h"
#include "corvane2/qvSharedBlock.h"
#include "corvane2/qvSingleInstance.h"
#include "platform/qvRegistry.h"
#include "ui/qvUserInterfaceCodes.h"

namespace {

// QApplication keeps references to argc and argv for its whole life.
int applicationArgc = 1;
char applicationName[] = "corvane";
char platformOption[] = "-platform";
// Without a display xcb aborts the process; a list lets Qt fall back.
char platformFallback[] = "xcb;offscreen";
char* applicationArgv[] = {applicationName, platformOption, platformFallback, nullptr};

}  // namespace

TGUIThread& TGUIThread::instance() {
  static TGUIThread* const thread = new TGUIThread;  // lives as long as the process
  return *thread;
}

void TGUIThread::start() {
  {
    const std::lock_guard guard(lock_);
    if (started_) return;
    started_ = true;
  }
  std::thread([this] { run(); }).detach();
}

void TGUIThread::run() {
  // Above normal where the system allows it; an ordinary user may not.
  (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), -1);
  const char* asked = std::getenv("QT_QPA_PLATFORM");
  const bool platformAsked = asked != nullptr && *asked != '\0';
  applicationArgc = platformAsked ? 1 : 3;
  auto* application = new QApplication(applicationArgc, applicationArgv);  // never destroyed
  QApplication::setApplicationName("Corvane");
  QApplication::setQuitOnLastWindowClosed(false);
  if (!platformAsked && QApplication::platformName() == "offscreen") {
    std::fputs("corvane2: no usable display, the window cannot be shown\n", stderr);
    publish(State::Failed, nullptr);
  } else {
    publish(State::Ready, makeWindow());
  }
  application->exec();
}

TqvNewStatus* TGUIThread::makeWindow() {
  qvSharedBlock& block = qvSharedBlock::instance();
  auto* window = new TqvNewStatus(block);  // lives as long as the process
  auto* instance = new qvSingleInstance(qvRegistry::defaultPath(), window);
  if (instance->isFirst()) {
    instance->onRequest([window] { window->bringToFront(); });
    return window;
  }
  // Another copy owns the window for this user and registry: bring it
  // forward and let the engine end this process.
  if (!instance->handOver()) std::fputs("corvane2: another copy is running but did not answer\n", stderr);
  {
    const std::lock_guard guard(lock_);
    secondCopy_ = true;
  }
  block.raiseNetwork(0x8);
  block.setExitFlag();
  block.raiseStatus(qvStatusBit::kClosing);
  return window;
}

bool TGUIThread::secondCopy() const {
  const std::lock_guard guard(lock_);
  return secondCopy_;
}

void TGUIThread::publish(State state, TqvNewStatus* window) {
  {
    const std::lock_guard guard(lock_);
    state_ = state;
    window_ = window;
    thread_ = QThread::currentThread();
  }
  changed_.notify_all();
}

TGUIThread::State TGUIThread::waitUntilReady(std::chrono::milliseconds limit) {
  std::unique_lock guard(lock_);
  changed_.wait_for(guard, limit, [this] { return state_ != State::Starting; });
  return state_ == State::Ready ? State::Ready : State::Failed;
}

TqvNewStatus* TGUIThread::window() const {
  const std::lock_guard guard(lock_);
  return window_;
}

bool TGUIThread::onWindowThread() const {
  const std::lock_guard guard(lock_);
  return window_ != nullptr && QThread::currentThread() == thread_;
}

bool TGUIThread::invoke(const std::function<void()>& work) {
  TqvNewStatus* const form = window();
  if (form == nullptr) return false;
  if (onWindowThread()) {
    work();
    return true;
  }
  return QMetaObject::invokeMethod(form, work, Qt::BlockingQueuedConnection);
}
