#include "platform/downloader_channel.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <utility>

#include "downloader/protocol/endpoint.h"
#include "downloader/protocol/frame_send.h"
#include "downloader/protocol/hello.h"
#include "downloader/protocol/notice.h"
#include "downloader/protocol/request_text.h"
#include "downloader/protocol/staging_messages.h"

namespace harvel {
namespace {

constexpr int kConnectWaitMs = 1000;
// The downloader reads the cookies file before it answers the settings.
constexpr int kSettingsWaitMs = 10000;

// The variables by which curl and wget pick a proxy.
constexpr const char* kProxyVariables[] = {"http_proxy", "https_proxy", "HTTPS_PROXY",
                                           "ftp_proxy",  "FTP_PROXY",   "all_proxy",
                                           "ALL_PROXY",  "no_proxy",    "NO_PROXY"};

std::string AbsolutePath(const std::string& path) {
  if (path.empty())
    return path;
  return QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString();
}

SettingsOrder OrderOf(const ConnectionSettings& settings) {
  SettingsOrder order{AbsolutePath(settings.cookiesFile),
                      settings.userAgent,
                      settings.headers,
                      settings.proxy,
                      AbsolutePath(settings.caCertificate),
                      {},
                      settings.loginHeaders,
                      settings.startUrl,
                      settings.manners};
  for (const char* name : kProxyVariables) {
    const QByteArray value = qgetenv(name);
    if (!value.isEmpty() && !value.contains('\n'))
      order.environment.push_back(std::string(name) + "=" + value.toStdString());
  }
  return order;
}

// The frame of a request without its referer and its conditional fields:
// those are left out when they would not fit, the URL and path never.
bool FitsWithoutReferer(const FileRequest& request) {
  FileRequest plain{request.url, request.path};
  plain.maxSize = request.maxSize;
  plain.minPicture = request.minPicture;
  return FieldRequestLength(plain) - kFrameHeaderLength <= kMaxPayloadLength;
}

// What a downloader's hello tells, as the channel keeps it: its features only
// where the agreed version has them.
Hello AgreedPeer(const Hello& answer) {
  Hello peer{AgreedVersion(kChannelVersion, answer.version), {}};
  if (peer.version >= kChannelVersion)
    peer.features = answer.features;
  return peer;
}

}  // namespace

DownloaderChannel::DownloaderChannel(QString programFolder, QObject* parent)
    : QObject(parent), launcher_(std::move(programFolder)) {}

DownloaderChannel::~DownloaderChannel() {
  detach();
}

bool DownloaderChannel::isConnected() const {
  return socket_ != nullptr && socket_->state() == QLocalSocket::ConnectedState;
}

bool DownloaderChannel::connectToRunning() {
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
  if (std::optional<Hello> peer = greet(*socket)) {
    attach(socket, std::move(*peer));
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
  attach(socket, Hello{});
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

std::optional<Hello> DownloaderChannel::greet(QLocalSocket& socket) {
  const std::string hello = EncodeHello(Hello{kChannelVersion, {}});
  if (socket.write(hello.data(), static_cast<qint64>(hello.size())) !=
      static_cast<qint64>(hello.size())) {
    errorText_ = socket.errorString();
    return std::nullopt;
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
      return AgreedPeer(ParseHello(*message));
    }
    if (decoder.failed())
      break;
  }
  errorText_ = socket.state() == QLocalSocket::ConnectedState
                   ? QStringLiteral("the downloader did not answer the hello")
                   : socket.errorString();
  return std::nullopt;
}

bool DownloaderChannel::connectOrStart() {
  if (connectToRunning())
    return true;
  // A socket folder that is refused, or a socket path too long, would make the
  // started downloader end at once: said here instead of after the wait.
  std::string endpointError;
  if (!DownloaderEndpoint(endpointError)) {
    errorText_ = QString::fromStdString(endpointError);
    return false;
  }
  if (launcher_.stopped()) {
    errorText_ = QStringLiteral("interrupted");
    return false;
  }
  if (!launcher_.start(errorText_))
    return false;
  switch (launcher_.waitUntilAccepted([this] { return connectToRunning(); })) {
    case DownloaderLauncher::Wait::Accepted:
      return true;
    case DownloaderLauncher::Wait::Interrupted:
      endStartedDownloader();
      errorText_ = QStringLiteral("interrupted while waiting for VeskDownloader to start");
      return false;
    case DownloaderLauncher::Wait::TimedOut:
      break;
  }
  errorText_ = QStringLiteral("VeskDownloader was started but did not answer within %1 ms")
                   .arg(launcher_.startTimeout().count());
  return false;
}

void DownloaderChannel::stopStarting() {
  launcher_.stopStarting();
}

void DownloaderChannel::endStartedDownloader() {
  if (connectToRunning()) {
    if (send(EncodeClose()))
      socket_->waitForBytesWritten(kConnectWaitMs);
    detach();
    return;
  }
  // Not listening yet: it has nothing under way and can be ended outright.
  launcher_.endStarted();
}

void DownloaderChannel::attach(QLocalSocket* socket, Hello peer) {
  socket_ = socket;
  decoder_ = FrameDecoder{};
  peer_ = std::move(peer);
  landed_.clear();  // the copies of an earlier connection are gone
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
  if (peer_.version < kChannelVersion)
    return EncodeRequest(request.url, request.path);
  // Only the fields the downloader states it takes are sent: a downloader that
  // cannot judge pictures keeps them all, as it always did, and only one that
  // states "conditional" is asked for validators.
  FileRequest sent = request;
  const auto tooLong = [&] {
    return FieldRequestLength(sent, &peer_) - kFrameHeaderLength > kMaxPayloadLength;
  };
  if (tooLong())
    sent.referer.clear();
  if (tooLong()) {
    sent.ifNoneMatch.clear();
    sent.ifModifiedSince.clear();
  }
  return EncodeFieldRequest(sent, &peer_);
}

void DownloaderChannel::Downloading(const FileRequest& request, std::weak_ptr<Mailbox> mailbox) {
  pending_.add(request, std::move(mailbox));
  if (recovering_)
    return;  // the recovery under way sends it
  if (!send(requestFrame(pending_.newest())))
    recover();
}

bool DownloaderChannel::renders() const {
  return isConnected() && peer_.has(kFeatureRender);
}

bool DownloaderChannel::obeysRobots() const {
  return isConnected() && peer_.has(kFeatureRobots);
}

bool DownloaderChannel::canStage() const {
  return isConnected() && peer_.has(kFeatureStage) && !recovering_;
}

void DownloaderChannel::Stage(const StagedFile& file) {
  // A staging order that cannot be delivered is only a lost head start.
  if (!canStage())
    return;
  // Fetched in full, the copy could answer no conditional request.
  if (file.request.conditional() && !peer_.has(kFeatureStageConditional))
    return;
  send(EncodeStage(file, &peer_));
}

void DownloaderChannel::Unstage(const std::string& url, const std::string& folder) {
  if (canStage())
    send(EncodeUnstage(url, folder));
}

void DownloaderChannel::UnstageAll(const std::vector<std::pair<std::string, std::string>>& copies) {
  if (!canStage())
    return;
  // One message: no waiting copy is started between the orders of a batch.
  if (peer_.has(kFeatureUnstageAll)) {
    send(EncodeUnstageAll());
    return;
  }
  DownloadChannel::UnstageAll(copies);
}

bool DownloaderChannel::tellsLanded() const {
  return canStage() && peer_.has(kFeatureStageLanded);
}

bool DownloaderChannel::stagesConditional() const {
  return canStage() && peer_.has(kFeatureStageConditional);
}

bool DownloaderChannel::sendsAhead() const {
  return isConnected() && peer_.has(kFeatureRequestsAhead) && !recovering_;
}

std::vector<LandedCopy> DownloaderChannel::takeLandedCopies() {
  return std::exchange(landed_, {});
}

void DownloaderChannel::readNotices() {
  if (socket_ == nullptr)
    return;
  const QByteArray bytes = socket_->readAll();
  decoder_.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  while (auto message = decoder_.next()) {
    if (message->kind == MessageKind::Landed) {
      if (std::optional<LandedCopy> landed = ParseLanded(*message))
        landed_.push_back(std::move(*landed));
    } else if (message->kind == MessageKind::Settings) {
      settingsAnswer_ = ParseSettingsAnswer(*message);
    } else if (const std::optional<DownloadNotice> notice = ParseNotice(*message)) {
      pending_.answer(*notice);
    }
  }
  if (decoder_.failed()) {
    errorText_ = QStringLiteral("the downloader sent a broken message: %1")
                     .arg(QString::fromStdString(decoder_.error()));
    connectionLost();
  }
}

DownloaderChannel::SettingsResult DownloaderChannel::applySettings(
    const ConnectionSettings& settings) {
  settingsWarning_.clear();
  settings_.reset();
  if (!connectOrStart())
    return SettingsResult::Unreachable;
  if (!peer_.has(kFeatureSettings)) {
    if (settings.empty())
      return SettingsResult::Applied;  // it keeps its own, as it always did
    errorText_ = QStringLiteral(
        "the running VeskDownloader is an older one that cannot use cookies, a User-Agent, "
        "headers, a proxy or a CA file; it ends by itself a minute after its last crawl");
    return SettingsResult::NotTaken;
  }
  if (!peer_.has(kFeatureHostManners) && !settings.manners.builtIn()) {
    errorText_ = QStringLiteral(
        "the running VeskDownloader is an older one that cannot limit the connections to a "
        "host or wait between requests; it ends by itself a minute after its last crawl");
    return SettingsResult::NotTaken;
  }
  settings_ = OrderOf(settings);
  const SettingsResult result = sendSettings();
  if (result != SettingsResult::Applied)
    settings_.reset();
  return result;
}

DownloaderChannel::SettingsResult DownloaderChannel::sendSettings() {
  settingsAnswer_.reset();
  if (!send(EncodeSettings(*settings_))) {
    errorText_ = QStringLiteral("the settings could not be sent to the downloader");
    return SettingsResult::Unreachable;
  }
  QDeadlineTimer deadline(kSettingsWaitMs);
  // The answer comes through readNotices(), as the notices do.
  while (!settingsAnswer_ && isConnected() && !deadline.hasExpired())
    socket_->waitForReadyRead(static_cast<int>(deadline.remainingTime()));
  if (!settingsAnswer_) {
    errorText_ = QStringLiteral("the downloader did not answer the settings");
    return SettingsResult::Unreachable;
  }
  settingsWarning_ = QString::fromStdString(settingsAnswer_->warning);
  if (!settingsAnswer_->applied()) {
    errorText_ = QString::fromStdString(settingsAnswer_->error);
    return SettingsResult::Refused;
  }
  return SettingsResult::Applied;
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
  // A restarted downloader gets the crawl's settings before its requests; one
  // that cannot take them any more ends the crawl rather than going on without.
  const bool resent =
      connectOrStart() &&
      (!settings_ || (peer_.has(kFeatureSettings) && sendSettings() == SettingsResult::Applied)) &&
      pending_.resendAll(
          [this](const FileRequest& request) { return send(requestFrame(request)); });
  recovering_ = false;
  if (!resent)
    failPending();
}

void DownloaderChannel::failPending() {
  pending_.failAll("the downloader (VeskDownloader) cannot be reached: " +
                   errorText_.toStdString());
  detach();
}

void DownloaderChannel::close() {
  pending_.clear();
  if (!connectToRunning())
    return;
  const std::string frame = EncodeClose();
  if (send(frame))
    socket_->waitForBytesWritten(kConnectWaitMs);
  detach();
}

}  // namespace harvel
