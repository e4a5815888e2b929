#include "app/single_instance.h"

#include <QCryptographicHash>
#include <QLocalSocket>

namespace tidyframe {

namespace {

constexpr int handOverMilliseconds = 2000;
constexpr char showRequest[] = "show\n";

}  // namespace

QString SingleInstance::serverName(const std::filesystem::path& storageFolder) {
  const auto hash = QCryptographicHash::hash(QByteArray::fromStdString(storageFolder.string()),
                                             QCryptographicHash::Sha256);
  return "tidyframe-" + QString::fromLatin1(hash.toHex().left(16));
}

// The request counts as handed over once the running application has read it and closed the
// connection, so the later launch never exits before the first one heard it.
bool SingleInstance::handOver(const QString& name) {
  QLocalSocket socket;
  socket.connectToServer(name);
  if (!socket.waitForConnected(handOverMilliseconds)) return false;
  socket.write(showRequest);
  if (!socket.waitForBytesWritten(handOverMilliseconds)) return false;
  return socket.state() == QLocalSocket::UnconnectedState || socket.waitForDisconnected(handOverMilliseconds);
}

bool SingleInstance::listen(const QString& name, std::function<void()> show) {
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name)) {
    QLocalServer::removeServer(name);
    if (!server_->listen(name)) return false;
  }
  QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this, show = std::move(show)] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, show] {
        if (!socket->canReadLine()) return;
        if (socket->readLine() == showRequest) show();
        socket->disconnectFromServer();
      });
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
  });
  return true;
}

}  // namespace tidyframe
