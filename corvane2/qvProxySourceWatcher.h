#pragma once
// Keeps the window's view of the two proxy sources current without blocking
// the window: reads run on a worker thread, and their result is handed back
// on the watcher's own thread. A refresh asked for while a read runs is
// folded into one more read after it.
//
// Reads open the registry file themselves (at `registryPath`) rather than
// share the window's registry object, which is not made for two threads.

#include <QObject>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "corvane2/qvProxySettings.h"

class qvProxySourceWatcher : public QObject {
  Q_OBJECT

 public:
  explicit qvProxySourceWatcher(std::string registryPath, QObject* parent = nullptr);
  // Waits for a running read (bounded by the gsettings bound) and drops its
  // result.
  ~qvProxySourceWatcher() override;

  // Starts a read, or asks for one more after the running one.
  void refresh();
  // The last complete snapshot; both sources absent before the first.
  qvProxySnapshot latest() const;
  // Waits up to `ms` for the first read to complete; true when it has.
  bool waitForFirst(int ms);
  // True while a read runs or is asked for.
  bool reading() const;

 signals:
  // A read completed with a snapshot that differs from the one before (the
  // first read always counts as a change).
  void snapshotChanged();

 private:
  void readLoop();

  const std::string registryPath_;
  mutable std::mutex mutex_;
  std::condition_variable firstDone_;
  qvProxySnapshot latest_;
  bool haveFirst_ = false;
  bool running_ = false;
  bool again_ = false;
  bool stopping_ = false;
  std::thread worker_;
};
