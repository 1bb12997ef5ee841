#include "corvane2/qvSingleInstance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>

qvSingleInstance::qvSingleInstance(const std::string& registryPath, QObject* parent) : QObject(parent) {
  const std::string lockPath = registryPath + ".window-lock";
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(lockPath).parent_path(), ignored);
  const QByteArray digest =
      QCryptographicHash::hash(QByteArray::fromStdString(registryPath), QCryptographicHash::Sha1).toHex().left(16);
  serverName_ = QString("corvane-window-%1-%2").arg(::getuid()).arg(QString::fromLatin1(digest));
  const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return;
  }
  lockFd_ = fd;
  // A socket left by a copy that died is stale: the lock proves nobody serves it.
  QLocalServer::removeServer(serverName_);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* peer = server_->nextPendingConnection()) {
      peer->write("ok");
      peer->flush();
      peer->disconnectFromServer();
      peer->deleteLater();
      if (raise_) raise_();
    }
  });
  server_->listen(serverName_);
}

qvSingleInstance::~qvSingleInstance() {
  if (lockFd_ >= 0) ::close(lockFd_);
}

void qvSingleInstance::onRequest(std::function<void()> raise) { raise_ = std::move(raise); }

bool qvSingleInstance::handOver() {
  QLocalSocket socket;
  socket.connectToServer(serverName_);
  if (!socket.waitForConnected(1000)) return false;
  socket.write("raise");
  socket.flush();
  return socket.waitForReadyRead(1000);
}
