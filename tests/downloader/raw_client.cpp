#include "raw_client.h"

#include <QDeadlineTimer>

#include "downloader/protocol/hello.h"
#include "downloader_process.h"

namespace harvel::test {

bool RawClient::connect() {
  socket_.connectToServer(QString::fromStdString(EndpointPath()));
  return socket_.waitForConnected(2000);
}

void RawClient::sendBytes(const std::string& bytes) {
  socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
  socket_.waitForBytesWritten(2000);
}

std::optional<std::string> RawClient::notice(std::chrono::milliseconds timeout) {
  QDeadlineTimer deadline(timeout);
  while (auto next = message(std::chrono::milliseconds(deadline.remainingTime()))) {
    if (next->kind == MessageKind::Notice)
      return next->text;
  }
  return std::nullopt;
}

std::optional<Message> RawClient::message(std::chrono::milliseconds timeout) {
  if (!early_.empty()) {
    Message first = std::move(early_.front());
    early_.pop_front();
    return first;
  }
  return read(timeout);
}

bool RawClient::sync(std::chrono::milliseconds timeout) {
  sendBytes(EncodeHello(Hello{kChannelVersion, {}}));
  QDeadlineTimer deadline(timeout);
  while (auto next = read(std::chrono::milliseconds(deadline.remainingTime()))) {
    if (next->kind == MessageKind::Hello)
      return true;
    early_.push_back(std::move(*next));
  }
  return false;
}

std::optional<Message> RawClient::read(std::chrono::milliseconds timeout) {
  QDeadlineTimer deadline(timeout);
  for (;;) {
    if (auto next = decoder_.next())
      return next;
    if (deadline.hasExpired() || socket_.state() != QLocalSocket::ConnectedState) {
      return std::nullopt;
    }
    if (socket_.bytesAvailable() == 0 &&
        !socket_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
      continue;
    }
    const QByteArray bytes = socket_.readAll();
    decoder_.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  }
}

bool RawClient::waitForHangUp(std::chrono::milliseconds timeout) {
  if (socket_.state() == QLocalSocket::UnconnectedState)
    return true;
  return socket_.waitForDisconnected(static_cast<int>(timeout.count()));
}

}  // namespace harvel::test
