#include "app/single_instance.h"

#include <iostream>

#include <QLocalSocket>
#include <QPointer>

#include "app/storage_location.h"
#include "command/command_channel.h"

namespace tidyframe {

namespace {

constexpr int handOverMilliseconds = 2000;
constexpr char showRequest[] = "show\n";

}  // namespace

QString SingleInstance::serverName(const std::filesystem::path& storageFolder) {
  const auto socket = CommandChannel::socketPath(runtimeFolder(), storageFolder);
  if (!socket) {
    std::cerr << "tidyframe: no channel between launches: " << socket.error() << std::endl;
    return {};
  }
  return QString::fromStdString(socket->string());
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

namespace {

// Reads one line, at most the request limit, and hands it on once. Qt buffers no more than the
// limit, so an endless request costs no memory.
void serve(QLocalSocket* socket, const std::function<void()>& show, const SingleInstance::RequestHandler& requests) {
  constexpr auto limit = static_cast<qint64>(CommandMessages::maximumRequestSize);
  socket->setReadBufferSize(limit + 1);
  QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, show, requests] {
    const bool complete = socket->canReadLine();
    if (!complete && socket->bytesAvailable() <= limit) return;
    QObject::disconnect(socket, &QLocalSocket::readyRead, nullptr, nullptr);
    QByteArray line = complete ? socket->readLine() : socket->readAll();
    if (line == showRequest) show();
    if (line == showRequest || !requests) {
      socket->disconnectFromServer();
      return;
    }
    if (complete) line.chop(1);
    const QPointer<QLocalSocket> guarded(socket);
    requests(
        std::string_view(line.constData(), static_cast<std::size_t>(line.size())),
        [guarded](const std::string& answer) {
          if (!guarded) return;
          guarded->write(answer.data(), static_cast<qint64>(answer.size()));
          guarded->disconnectFromServer();
        },
        [guarded] { return guarded && guarded->state() == QLocalSocket::ConnectedState; });
  });
  QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
}

}  // namespace

bool SingleInstance::listen(const QString& name, std::function<void()> show, RequestHandler requests) {
  if (name.isEmpty()) return false;
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name)) {
    QLocalServer::removeServer(name);
    if (!server_->listen(name)) return false;
  }
  QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(),
                   [this, show = std::move(show), requests = std::move(requests)] {
                     while (QLocalSocket* socket = server_->nextPendingConnection()) serve(socket, show, requests);
                   });
  return true;
}

}  // namespace tidyframe
