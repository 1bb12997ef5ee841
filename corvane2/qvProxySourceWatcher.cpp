#include "corvane2/qvProxySourceWatcher.h"

#include <chrono>

#include "corvane2/qvProxySources.h"
#include "platform/qvRegistry.h"

qvProxySourceWatcher::qvProxySourceWatcher(std::string registryPath, QObject* parent)
    : QObject(parent), registryPath_(std::move(registryPath)) {}

qvProxySourceWatcher::~qvProxySourceWatcher() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    again_ = false;
  }
  // Queued notifications still pending for this object go with it.
  if (worker_.joinable()) worker_.join();
}

void qvProxySourceWatcher::refresh() {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    if (running_) {
      again_ = true;
      return;
    }
    running_ = true;
  }
  // The previous worker has finished its last read; only its exit remains.
  if (worker_.joinable()) worker_.join();
  worker_ = std::thread(&qvProxySourceWatcher::readLoop, this);
}

qvProxySnapshot qvProxySourceWatcher::latest() const {
  std::lock_guard lock(mutex_);
  return latest_;
}

bool qvProxySourceWatcher::reading() const {
  std::lock_guard lock(mutex_);
  return running_;
}

bool qvProxySourceWatcher::waitForFirst(int ms) {
  std::unique_lock lock(mutex_);
  return firstDone_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return haveFirst_; });
}

void qvProxySourceWatcher::readLoop() {
  while (true) {
    qvRegistry registry(registryPath_);
    const qvProxySnapshot snapshot = qvProxySources(registry).read();
    bool changed = false;
    bool again = false;
    {
      std::lock_guard lock(mutex_);
      changed = !haveFirst_ || snapshot != latest_;
      latest_ = snapshot;
      haveFirst_ = true;
      again = again_ && !stopping_;
      again_ = false;
      running_ = again;
    }
    firstDone_.notify_all();
    if (changed) {
      QMetaObject::invokeMethod(this, [this] { emit snapshotChanged(); }, Qt::QueuedConnection);
    }
    if (!again) return;
  }
}
