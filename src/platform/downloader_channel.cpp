#include "platform/downloader_channel.h"

#include <signal.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <charconv>
#include <limits>

#include "common/number_text.h"
#include "downloader/protocol/endpoint.h"
#include "downloader/protocol/frame_send.h"
#include "downloader/protocol/hello.h"
#include "downloader/protocol/notice.h"
#include "downloader/protocol/request_text.h"
#include "downloader/protocol/staging_messages.h"
#include "platform/program_folder.h"

namespace harvel {
namespace {

constexpr int kConnectWaitMs = 1000;
constexpr int kStartPollMs = 20;
// A request is sent again at most this often. Twice, not once: the first
// reconnection may still reach a downloader that is dying (its socket accepts
// until the process is gone), and then the next attempt starts a new one.
constexpr int kMaxResends = 2;

DownloadRequest ProtocolRequest(const FileRequest& request) {
  return DownloadRequest{request.url, request.path, request.referer, request.maxSize};
}

// The frame of a request without its referer: the referer is left out when
// it would not fit, the URL and path never.
bool FitsWithoutReferer(const FileRequest& request) {
  DownloadRequest plain = ProtocolRequest(request);
  plain.referer.clear();
  return FieldRequestLength(plain) - kFrameHeaderLength <= kMaxPayloadLength;
}

DownloadOutcome OutcomeOf(const DownloadNotice& notice) {
  DownloadOutcome outcome;
  outcome.landed = notice.landed;
  outcome.reason = notice.reason;
  outcome.reasonText = notice.reasonText;
  outcome.httpStatus = notice.httpStatus;
  outcome.bytes = notice.bytes;
  outcome.elapsedMs = notice.elapsedMs;
  outcome.contentType = notice.contentType;
  outcome.finalUrl = notice.finalUrl;
  outcome.detailed = notice.detailed;
  return outcome;
}

// False when the process `pid` is known to be gone or to run something else
// than a program started with `wake` (its number may have been given to
// another process since).
bool StillRunsWake(qint64 pid) {
  QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
  if (!QFileInfo::exists(QStringLiteral("/proc/self/cmdline")))
    return true;  // no /proc to ask
  if (!cmdline.open(QIODevice::ReadOnly))
    return false;
  return cmdline.readAll().endsWith(QByteArrayLiteral("\0wake\0"));
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
  QLocalSocket* socket = connectSocket(*endpoint);
  if (socket == nullptr)
    return false;
  if (greet(*socket)) {
    const int agreed = version_;
    const bool stages = peerStages_;
    attach(socket);
    version_ = agreed;
    peerStages_ = stages;
    return true;
  }
  const bool droppedAtHello = socket->state() != QLocalSocket::ConnectedState;
  delete socket;
  if (!droppedAtHello)
    return false;
  // An older downloader drops a client at the hello: speak version 1 to it.
  socket = connectSocket(*endpoint);
  if (socket == nullptr)
    return false;
  attach(socket);
  version_ = kChannelVersion1;
  return true;
}

QLocalSocket* DownloaderChannel::connectSocket(const std::string& endpoint) {
  auto* socket = new QLocalSocket(this);
  socket->connectToServer(QString::fromStdString(endpoint));
  if (!socket->waitForConnected(kConnectWaitMs)) {
    errorText_ = socket->errorString();
    delete socket;
    return nullptr;
  }
  return socket;
}

bool DownloaderChannel::greet(QLocalSocket& socket) {
  const std::string hello = EncodeHello(Hello{kChannelVersion, {}});
  if (socket.write(hello.data(), static_cast<qint64>(hello.size())) !=
      static_cast<qint64>(hello.size())) {
    errorText_ = socket.errorString();
    return false;
  }
  socket.flush();
  FrameDecoder decoder;
  QDeadlineTimer deadline(kConnectWaitMs);
  while (!deadline.hasExpired()) {
    if (socket.bytesAvailable() == 0 &&
        !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
      break;
    }
    const QByteArray bytes = socket.readAll();
    decoder.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (auto message = decoder.next()) {
      if (message->kind != MessageKind::Hello)
        break;
      const Hello answer = ParseHello(*message);
      version_ = AgreedVersion(kChannelVersion, answer.version);
      peerStages_ = version_ >= kChannelVersion && answer.has(kFeatureStage);
      return true;
    }
    if (decoder.failed())
      break;
  }
  errorText_ = socket.state() == QLocalSocket::ConnectedState
                   ? QStringLiteral("the downloader did not answer the hello")
                   : socket.errorString();
  return false;
}

bool DownloaderChannel::connectOrStart() {
  if (find())
    return true;
  // A socket folder that is refused, or a socket path too long, would make the
  // started downloader end at once: said here instead of after the wait.
  std::string endpointError;
  if (!DownloaderEndpoint(endpointError)) {
    errorText_ = QString::fromStdString(endpointError);
    return false;
  }
  if (stopStarting_) {
    errorText_ = QStringLiteral("interrupted");
    return false;
  }
  if (!startDownloader())
    return false;
  return waitForStartedDownloader();
}

bool DownloaderChannel::waitForStartedDownloader() {
  // The new downloader needs a moment before it accepts.
  QDeadlineTimer deadline(startTimeout_);
  while (!deadline.hasExpired()) {
    if (find())
      return true;
    if (!pause(std::chrono::milliseconds(kStartPollMs)))
      break;
  }
  if (stopStarting_) {
    endStartedDownloader();
    errorText_ = QStringLiteral("interrupted while waiting for VeskDownloader to start");
    return false;
  }
  if (find())
    return true;
  errorText_ = QStringLiteral("VeskDownloader was started but did not answer within %1 ms")
                   .arg(startTimeout_.count());
  return false;
}

bool DownloaderChannel::pause(std::chrono::milliseconds time) {
  if (stopStarting_)
    return false;
  QEventLoop loop;
  QTimer::singleShot(time, &loop, [&loop] { loop.exit(1); });
  pauseLoop_ = &loop;
  // 1 from the timer; anything else ended the wait early (stopStarting(), or
  // the program quitting).
  const bool timeUp = loop.exec() == 1;
  pauseLoop_ = nullptr;
  return timeUp && !stopStarting_;
}

void DownloaderChannel::stopStarting() {
  stopStarting_ = true;
  if (pauseLoop_ != nullptr)
    pauseLoop_->exit(0);
}

void DownloaderChannel::endStartedDownloader() {
  if (find()) {
    if (send(EncodeClose()))
      socket_->waitForBytesWritten(kConnectWaitMs);
    detach();
    return;
  }
  // Not listening yet: it has nothing under way and can be ended outright.
  if (startedPid_ > 0 && StillRunsWake(startedPid_))
    ::kill(static_cast<pid_t>(startedPid_), SIGTERM);
}

bool DownloaderChannel::startDownloader() {
  const QString program = QString::fromStdString(DownloaderProgramIn(programFolder_.toStdString()));
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
  if (!process.startDetached(&startedPid_)) {
    errorText_ = QStringLiteral("cannot start %1: %2").arg(program, process.errorString());
    return false;
  }
  startedDownloader_ = true;
  return true;
}

void DownloaderChannel::attach(QLocalSocket* socket) {
  socket_ = socket;
  decoder_ = FrameDecoder{};
  version_ = kChannelVersion1;
  peerStages_ = false;
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
  // Straight into the socket when nothing waits in its buffer.
  if (socket_->bytesToWrite() == 0) {
    const auto sent = SendWithoutWaiting(static_cast<int>(socket_->socketDescriptor()), frame);
    if (!sent)
      return false;
    rest.remove_prefix(*sent);
    if (rest.empty())
      return true;
  }
  const auto size = static_cast<qint64>(rest.size());
  if (socket_->write(rest.data(), size) != size)
    return false;
  socket_->flush();
  return true;
}

bool DownloaderChannel::CanCarry(const FileRequest& request) const {
  return FitsWithoutReferer(request);
}

std::string DownloaderChannel::requestFrame(const FileRequest& request) const {
  if (version_ < kChannelVersion)
    return EncodeRequest(request.url, request.path);
  DownloadRequest sent = ProtocolRequest(request);
  if (FieldRequestLength(sent) - kFrameHeaderLength > kMaxPayloadLength)
    sent.referer.clear();
  return EncodeFieldRequest(sent);
}

void DownloaderChannel::Downloading(const FileRequest& request, std::weak_ptr<Mailbox> mailbox) {
  pending_.push_back(Pending{request, std::move(mailbox)});
  if (recovering_)
    return;  // the recovery under way sends it
  if (!send(requestFrame(pending_.back().request)))
    recover();
}

bool DownloaderChannel::canStage() const {
  return isConnected() && peerStages_ && !recovering_;
}

void DownloaderChannel::Stage(const StagedFile& file, int jobs) {
  // A staging order that cannot be delivered is only a lost head start.
  if (canStage())
    send(EncodeStage(StageOrder{file.url, file.folder, file.referer, file.maxSize, jobs}));
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
    const std::optional<DownloadNotice> notice = ParseNotice(*message);
    if (!notice || pending_.empty())
      continue;
    const Pending done = std::move(pending_.front());
    pending_.pop_front();
    // A notice for a crawl window that has been unloaded is dropped.
    const std::string text = countText(notice->count);
    if (auto box = done.mailbox.lock()) {
      box->outcome = OutcomeOf(*notice);
      box->text = text;
    }
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
      if (request.resends >= kMaxResends || !send(requestFrame(request.request))) {
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
