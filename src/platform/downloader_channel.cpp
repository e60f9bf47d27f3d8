#include "platform/downloader_channel.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <charconv>
#include <limits>

#include "common/number_text.h"
#include "downloader/protocol/endpoint.h"
#include "downloader/protocol/frame_send.h"
#include "downloader/protocol/staging_messages.h"

namespace harvel {
namespace {

constexpr int kConnectWaitMs = 1000;
constexpr int kStartPollMs = 20;
// A request is sent again at most this often. Twice, not once: the first
// reconnection may still reach a downloader that is dying (its socket accepts
// until the process is gone), and then the next attempt starts a new one.
constexpr int kMaxResends = 2;

QString DownloaderProgram(const QString& folder) {
#ifdef Q_OS_WIN
  return QDir(folder).filePath(QStringLiteral("VeskDownloader.exe"));
#else
  return QDir(folder).filePath(QStringLiteral("VeskDownloader"));
#endif
}

}  // namespace

DownloaderChannel::DownloaderChannel(QString programFolder, QObject* parent)
    : QObject(parent), programFolder_(std::move(programFolder)) {}

DownloaderChannel::~DownloaderChannel() {
  detach();
}

bool DownloaderChannel::isConnected() const {
  return socket_ != nullptr && socket_->state() == QLocalSocket::ConnectedState;
}

bool DownloaderChannel::find() {
  if (isConnected())
    return true;
  detach();
  std::string endpointError;
  const auto endpoint = DownloaderEndpoint(endpointError);
  if (!endpoint) {
    errorText_ = QString::fromStdString(endpointError);
    return false;
  }
  // Twice at most: once with the hello, once without it for a downloader that
  // dropped the connection on it.
  for (int attempt = 0; attempt < 2; ++attempt) {
    auto* socket = new QLocalSocket(this);
    socket->connectToServer(QString::fromStdString(*endpoint));
    if (!socket->waitForConnected(kConnectWaitMs)) {
      errorText_ = socket->errorString();
      delete socket;
      return false;
    }
    if (greet(*socket)) {
      attach(socket);
      return true;
    }
    delete socket;
  }
  errorText_ = QStringLiteral("the downloader closed the connection at once");
  return false;
}

bool DownloaderChannel::greet(QLocalSocket& socket) {
  peerVersion_ = 1;
  peerStages_ = false;
  decoder_ = FrameDecoder{};
  if (legacyPeer_)
    return true;
  const std::string hello = EncodeHello(Hello{kProtocolVersion, {}});
  socket.write(hello.data(), static_cast<qint64>(hello.size()));
  socket.flush();
  QDeadlineTimer deadline(kConnectWaitMs);
  while (!deadline.hasExpired()) {
    if (socket.bytesAvailable() == 0 &&
        !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
      if (socket.state() == QLocalSocket::ConnectedState)
        continue;
      legacyPeer_ = true;  // it knows no hello: one request at a time from now on
      return false;
    }
    const QByteArray bytes = socket.readAll();
    decoder_.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (auto message = decoder_.next()) {
      if (const auto answer = ParseHello(*message)) {
        peerVersion_ = answer->version;
        peerStages_ = answer->can(kStagingCapability);
      }
      return true;
    }
    if (decoder_.failed())
      return false;
  }
  return true;  // no answer in time: one request at a time on this connection
}

bool DownloaderChannel::connectOrStart() {
  if (find())
    return true;
  if (!startDownloader())
    return false;
  // Wait until the new downloader accepts; it needs a moment to start.
  QDeadlineTimer deadline(startTimeout_);
  while (!deadline.hasExpired()) {
    if (find())
      return true;
    QThread::msleep(kStartPollMs);
  }
  if (find())
    return true;
  errorText_ = QStringLiteral("VeskDownloader was started but did not answer within %1 ms")
                   .arg(startTimeout_.count());
  return false;
}

bool DownloaderChannel::startDownloader() {
  const QString program = DownloaderProgram(programFolder_);
  if (!QFileInfo(program).isExecutable()) {
    errorText_ = QStringLiteral("cannot start the downloader: %1 is missing").arg(program);
    return false;
  }
  QProcess process;
  process.setProgram(program);
  process.setArguments({QStringLiteral("wake")});
  process.setWorkingDirectory(programFolder_);
  // It outlives this program: it must not hold on to our output pipes.
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  if (!process.startDetached()) {
    errorText_ = QStringLiteral("cannot start %1: %2").arg(program, process.errorString());
    return false;
  }
  startedDownloader_ = true;
  legacyPeer_ = false;  // the one started here is this program's own
  return true;
}

void DownloaderChannel::attach(QLocalSocket* socket) {
  socket_ = socket;  // greet() has made the decoder fresh
  connect(socket_, &QLocalSocket::readyRead, this, &DownloaderChannel::readNotices);
  connect(socket_, &QLocalSocket::disconnected, this, &DownloaderChannel::connectionLost);
}

void DownloaderChannel::detach() {
  if (socket_ == nullptr)
    return;
  socket_->disconnect(this);
  socket_->abort();
  socket_->deleteLater();
  socket_ = nullptr;
}

bool DownloaderChannel::send(const std::string& frame) {
  if (!isConnected())
    return false;
  std::string_view rest = frame;
#ifdef Q_OS_UNIX
  // Straight into the socket when nothing waits in its buffer.
  if (socket_->bytesToWrite() == 0) {
    const auto sent = SendWithoutWaiting(static_cast<int>(socket_->socketDescriptor()), frame);
    if (!sent)
      return false;
    rest.remove_prefix(*sent);
    if (rest.empty())
      return true;
  }
#endif
  const auto size = static_cast<qint64>(rest.size());
  if (socket_->write(rest.data(), size) != size)
    return false;
  socket_->flush();
  return true;
}

void DownloaderChannel::Downloading(const std::string& url, const std::string& path,
                                    std::weak_ptr<Mailbox> mailbox) {
  pending_.push_back(Pending{EncodeRequest(url, path), std::move(mailbox)});
  if (recovering_)
    return;  // the recovery under way sends it
  if (!send(pending_.back().frame))
    recover();
}

bool DownloaderChannel::canStage() const {
  return isConnected() && peerStages_ && !recovering_;
}

void DownloaderChannel::Stage(const std::string& url, const std::string& folder, int jobs) {
  // A staging order that cannot be delivered is only a lost head start.
  if (canStage())
    send(EncodeStage(StageOrder{url, folder, jobs}));
}

void DownloaderChannel::Unstage(const std::string& url, const std::string& folder) {
  if (canStage())
    send(EncodeUnstage(url, folder));
}

void DownloaderChannel::readNotices() {
  if (socket_ == nullptr)
    return;
  const QByteArray bytes = socket_->readAll();
  decoder_.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  while (auto message = decoder_.next()) {
    if (message->kind != MessageKind::Notice || pending_.empty())
      continue;
    const Pending done = std::move(pending_.front());
    pending_.pop_front();
    // A notice for a crawl window that has been unloaded is dropped.
    const std::string text = countText(message->text);
    if (auto box = done.mailbox.lock())
      box->text = text;
  }
  if (decoder_.failed()) {
    errorText_ = QStringLiteral("the downloader sent a broken message: %1")
                     .arg(QString::fromStdString(decoder_.error()));
    connectionLost();
  }
}

std::string DownloaderChannel::countText(const std::string& notice) {
  std::int64_t count = 0;
  const auto [end, error] = std::from_chars(notice.data(), notice.data() + notice.size(), count);
  if (error != std::errc() || end != notice.data() + notice.size() || count < 0)
    return notice;
  if (count <= std::numeric_limits<std::int64_t>::max() - countOffset_)
    count += countOffset_;
  lastCountWritten_ = count;
  return DecimalText(count);
}

void DownloaderChannel::connectionLost() {
  // Notices that arrived just before the end are still delivered.
  if (socket_ != nullptr && socket_->bytesAvailable() > 0 && !decoder_.failed())
    readNotices();
  detach();
  if (!pending_.empty())
    recover();
}

void DownloaderChannel::recover() {
  if (recovering_)
    return;
  recovering_ = true;
  detach();
  if (connectOrStart()) {
    // The downloader now answering may count from 0 again.
    if (lastCountWritten_ >= 0)
      countOffset_ = lastCountWritten_ + 1;
    for (auto& request : pending_) {
      if (request.resends >= kMaxResends || !send(request.frame)) {
        recovering_ = false;
        failPending();
        return;
      }
      ++request.resends;
    }
  } else {
    failPending();
  }
  recovering_ = false;
}

void DownloaderChannel::failPending() {
  const std::string message =
      "the downloader (VeskDownloader) cannot be reached: " + errorText_.toStdString();
  for (const auto& request : pending_) {
    if (auto box = request.mailbox.lock())
      box->channelError = message;
  }
  pending_.clear();
  detach();
}

void DownloaderChannel::close() {
  pending_.clear();
  if (!find())
    return;
  const std::string frame = EncodeClose();
  if (send(frame))
    socket_->waitForBytesWritten(kConnectWaitMs);
  detach();
}

}  // namespace harvel
