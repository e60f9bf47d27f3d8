#include "downloader/download_server.h"

#include <limits>

#include "common/number_text.h"
#include "downloader/protocol/endpoint.h"
#include "downloader/protocol/frame_send.h"
#include "downloader/protocol/request_text.h"
#include "downloader/protocol/staging_messages.h"

namespace harvel {
namespace {

// Straight into the socket when nothing waits in its buffer; what does not go
// out at once is left to the socket's own writing on a later pass of the event
// loop. A notice may be sent from inside readFrom(), so nothing here may end
// the connection there and then: a broken one is noticed by its reading.
void Send(QLocalSocket& socket, std::string_view frame) {
  if (socket.bytesToWrite() == 0) {
    const auto sent = SendWithoutWaiting(static_cast<int>(socket.socketDescriptor()), frame);
    if (!sent)
      return;  // the client is gone: its notice is lost
    frame.remove_prefix(*sent);
  }
  if (!frame.empty())
    socket.write(frame.data(), static_cast<qint64>(frame.size()));
}

}  // namespace

DownloadServer::DownloadServer(QObject* parent) : QObject(parent) {
  connect(&server_, &QLocalServer::newConnection, this, &DownloadServer::acceptConnections);
}

DownloadServer::~DownloadServer() {
  queue_.stop();
  staged_.stop();
  // The sockets go with the server; their handlers must not run on a half-destroyed object.
  for (auto& [socket, client] : clients_)
    socket->disconnect(this);
  server_.close();
}

bool DownloadServer::listen(QString& error) {
  std::string endpointError;
  const auto endpoint = DownloaderEndpoint(endpointError);
  if (!endpoint) {
    error = QString::fromStdString(endpointError);
    return false;
  }
  const QString name = QString::fromStdString(*endpoint);

  // The lock tells a live downloader from a socket file left by one that died.
  if (!lock_.tryLock(*endpoint + ".lock")) {
    error = "another VeskDownloader is running already";
    return false;
  }
  QLocalServer::removeServer(name);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_.listen(name)) {
    error = server_.errorString();
    return false;
  }
  return true;
}

void DownloadServer::acceptConnections() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    clients_.emplace(socket, Client{});
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
      clients_.erase(socket);
      // Its transfers end and its staged copies go.
      staged_.dropClient(socket);
      socket->deleteLater();
    });
    readFrom(socket);
  }
}

void DownloadServer::readFrom(QLocalSocket* socket) {
  auto found = clients_.find(socket);
  if (found == clients_.end())
    return;
  FrameDecoder& decoder = found->second.decoder;
  const QByteArray bytes = socket->readAll();
  decoder.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  while (auto message = decoder.next()) {
    switch (message->kind) {
      case MessageKind::Close:
        queue_.stop();
        staged_.stop();
        emit closeRequested();
        return;
      case MessageKind::Request:
        handleRequest(socket, *message);
        break;
      case MessageKind::Hello:
        Send(*socket, EncodeHello(Hello{kProtocolVersion, {std::string(kStagingCapability)}}));
        break;
      case MessageKind::Stage:
        if (const auto order = ParseStage(*message))
          staged_.stage(socket, order->url, order->folder, order->jobs);
        break;
      case MessageKind::Unstage:
        if (const auto order = ParseUnstage(*message))
          staged_.unstage(socket, order->url, order->folder);
        break;
      case MessageKind::Notice:
        break;  // notices go the other way
    }
    if (clients_.count(socket) == 0)
      return;
  }
  if (decoder.failed())
    socket->abort();  // a client that speaks garbage is dropped
}

void DownloadServer::handleRequest(QLocalSocket* socket, const Message& message) {
  auto slot = std::make_shared<bool>(false);
  clients_[socket].answers.push_back(slot);
  QPointer<QLocalSocket> client(socket);
  std::optional<DownloadRequest> request = ParseRequest(message);
  if (request) {
    const bool staged =
        staged_.take(socket, *request, [this, client, slot, request](bool, bool retry) {
          if (retry) {
            queue_.post(request, [this, client, slot](bool) { ready(client, slot); });
          } else {
            ready(client, slot);
          }
        });
    if (staged)
      return;
  }
  queue_.post(std::move(request), [this, client, slot](bool) { ready(client, slot); });
}

void DownloadServer::ready(const QPointer<QLocalSocket>& socket,
                           const std::shared_ptr<bool>& slot) {
  *slot = true;
  auto found = socket ? clients_.find(socket.data()) : clients_.end();
  if (found == clients_.end()) {
    answer(nullptr);  // the client has gone: its notice is lost, the count advances
    return;
  }
  auto& answers = found->second.answers;
  while (!answers.empty() && *answers.front()) {
    answers.pop_front();
    answer(socket.data());
  }
}

void DownloadServer::answer(QLocalSocket* socket) {
  // The count advances even when the client has gone and the notice is lost.
  const std::string notice = EncodeNotice(DecimalText(downloadCount_));
  if (downloadCount_ < std::numeric_limits<std::int64_t>::max())
    ++downloadCount_;
  if (socket != nullptr && socket->state() == QLocalSocket::ConnectedState)
    Send(*socket, notice);
}

}  // namespace harvel
