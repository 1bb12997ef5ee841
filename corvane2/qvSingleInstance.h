#pragma once
// One window per user and registry file. The first copy holds a lock on a
// file beside the registry (the system drops it with the process) and
// listens on a local socket; a later copy finds the lock taken, asks the
// first copy to come to the front, and goes away instead of living on
// without a window.

#include <QObject>
#include <QString>
#include <functional>
#include <string>

class QLocalServer;

class qvSingleInstance : public QObject {
 public:
  // Tries to become the first copy for the registry file at `registryPath`.
  qvSingleInstance(const std::string& registryPath, QObject* parent);
  ~qvSingleInstance() override;

  bool isFirst() const { return lockFd_ >= 0; }
  // First copy: `raise` runs whenever another copy asks for the window.
  void onRequest(std::function<void()> raise);
  // Later copy: asks the first copy for its window. False when it did not
  // answer within a second.
  bool handOver();

  const QString& serverName() const { return serverName_; }

 private:
  int lockFd_ = -1;
  QString serverName_;
  QLocalServer* server_ = nullptr;
  std::function<void()> raise_;
};
