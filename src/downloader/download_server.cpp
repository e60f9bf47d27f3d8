#include "downloader/download_server.h"

#include <limits>

#include "common/number_text.h"
#include "downloader/protocol/endpoint.h"
#include "downloader/protocol/frame_send.h"
#include "downloader/protocol/hello.h"
#include "downloader/protocol/request_text.h"

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

DownloadServer::DownloadServer(DownloadLimits limits, QObject* parent)
    : QObject(parent), queue_(limits) {
  connect(&server_, &QLocalServer::newConnection, this, &DownloadServer::acceptConnections);
}

DownloadServer::~DownloadServer() {
  queue_.stop();
  // The sockets go with the server; their handlers must not run on a half-destroyed object.
  for (auto& [socket, decoder] : decoders_)
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
    decoders_.emplace(socket, FrameDecoder{});
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
      decoders_.erase(socket);
      socket->deleteLater();
    });
    readFrom(socket);
  }
}

void DownloadServer::readFrom(QLocalSocket* socket) {
  auto found = decoders_.find(socket);
  if (found == decoders_.end())
    return;
  FrameDecoder& decoder = found->second;
  const QByteArray bytes = socket->readAll();
  decoder.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  while (auto message = decoder.next()) {
    if (message->kind == MessageKind::Close) {
      queue_.stop();
      emit closeRequested();
      return;
    }
    if (message->kind == MessageKind::Hello) {
      Send(*socket,
           EncodeHello(Hello{kChannelVersion, {kFeatureReferer, kFeatureMaxSize, kFeatureRetry}}));
      continue;
    }
    if (message->kind != MessageKind::Request && message->kind != MessageKind::FieldRequest)
      continue;  // notices go the other way
    QPointer<QLocalSocket> client(socket);
    const MessageKind kind = message->kind;
    queue_.post(ParseRequest(*message), [this, client, kind](DownloadNotice notice) {
      answer(client, kind, std::move(notice));
    });
  }
  if (decoder.failed())
    socket->abort();  // a client that speaks garbage is dropped
}

void DownloadServer::answer(const QPointer<QLocalSocket>& socket, MessageKind requestKind,
                            DownloadNotice result) {
  // The count advances even when the client has gone and the notice is lost.
  result.count = DecimalText(downloadCount_);
  const std::string notice = requestKind == MessageKind::FieldRequest ? EncodeFieldNotice(result)
                                                                      : EncodeNotice(result.count);
  if (downloadCount_ < std::numeric_limits<std::int64_t>::max())
    ++downloadCount_;
  if (socket && socket->state() == QLocalSocket::ConnectedState)
    Send(*socket, notice);
}

}  // namespace harvel
