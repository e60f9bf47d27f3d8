#include "downloader/download_server.h"

#include <limits>

#include "common/browser_program.h"
#include "common/number_text.h"
#include "common/path_text.h"
#include "downloader/failure_reason.h"
#include "downloader/partial_store.h"
#include "downloader/protocol/endpoint.h"
#include "downloader/protocol/frame_send.h"
#include "downloader/protocol/hello.h"
#include "downloader/protocol/request_text.h"
#include "downloader/protocol/settings_message.h"
#include "downloader/protocol/staging_messages.h"
#include "downloader/rendered_page.h"

namespace harvel {
namespace {

// Whether the downloader keeps a part of the file `request` asks for.
bool HoldsPart(const FileRequest& request) {
  if (request.resumeFolder.empty() || request.conditional())
    return false;
  const std::optional<PartialStore> store = PartialStore::Open(request.resumeFolder);
  return store && store->find(request.url);
}

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

bool HoldsZeroByte(const FileRequest& request) {
  return request.url.find('\0') != std::string::npos ||
         request.path.find('\0') != std::string::npos;
}

}  // namespace

DownloadServer::DownloadServer(DownloadLimits limits, std::chrono::milliseconds idleTimeout,
                               QObject* parent)
    : QObject(parent),
      queue_(limits, hosts_),
      staged_(limits, hosts_),
      robots_(limits),
      renderLimits_(RenderLimitsFromEnvironment()) {
  connect(&listener_, &LocalListener::accepted, this, &DownloadServer::accept);
  staged_.setLandedListener([this](StagedTransfers::Client client, const StagedFile& order,
                                   const std::string& path, const DownloadNotice& notice) {
    // The client's own socket, while it is connected.
    auto found = clients_.find(const_cast<QLocalSocket*>(client));
    if (found != clients_.end())
      Send(*found->first,
           EncodeLanded(LandedCopy{order.request.url, order.folder(), path, notice.contentType}));
  });
  idleTimer_.setSingleShot(true);
  idleTimer_.setInterval(idleTimeout);
  connect(&idleTimer_, &QTimer::timeout, this, [this] {
    for (auto& [socket, client] : clients_)
      endBrowser(client.renderer.get());
    queue_.stop();
    staged_.stop();
    emit idle();
  });
}

DownloadServer::~DownloadServer() {
  for (auto& [socket, client] : clients_)
    endBrowser(client.renderer.get());
  for (auto& [settings, worker] : settingsWorkers_)
    worker.join();
  queue_.stop();
  staged_.stop();
  // The sockets go with the listener; their handlers must not run on a half-destroyed object.
  for (auto& [socket, client] : clients_)
    socket->disconnect(this);
  listener_.close();
}

bool DownloadServer::listen(QString& error) {
  std::string endpointError;
  const auto endpoint = DownloaderEndpoint(endpointError);
  if (!endpoint) {
    error = QString::fromStdString(endpointError);
    return false;
  }

  // The lock tells a live downloader from a socket file left by one that died.
  if (!lock_.tryLock(*endpoint + ".lock")) {
    error = "another VeskDownloader is running already";
    return false;
  }
  // What a downloader that was killed left half written goes first.
  if (temporaryFileRecord_.open(*endpoint + ".writing")) {
    queue_.setTemporaryFileRecord(&temporaryFileRecord_);
    staged_.setTemporaryFileRecord(&temporaryFileRecord_);
  }
  if (!listener_.listen(*endpoint, error))
    return false;
  idleTimer_.start();
  return true;
}

void DownloadServer::accept(QLocalSocket* socket) {
  idleTimer_.stop();
  clients_.emplace(socket, Client{});
  connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
  connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
    // Its browser ends with it.
    if (auto found = clients_.find(socket); found != clients_.end())
      endBrowser(found->second.renderer.get());
    clients_.erase(socket);
    // Its transfers end and its staged copies go.
    staged_.dropClient(socket);
    robots_.dropClient(socket);
    socket->deleteLater();
    if (clients_.empty())
      idleTimer_.start();
  });
  readFrom(socket);
}

void DownloadServer::readFrom(QLocalSocket* socket) {
  auto found = clients_.find(socket);
  if (found == clients_.end())
    return;
  FrameDecoder& decoder = found->second.decoder;
  const QByteArray bytes = socket->readAll();
  decoder.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  // Every message of this read is taken before a staged transfer starts.
  const StagedTransfers::StartHold hold(staged_);
  // While its settings are made ready, a client's messages wait in its decoder.
  while (found->second.settling == 0) {
    auto message = decoder.next();
    if (!message)
      break;
    switch (message->kind) {
      case MessageKind::Close:
        for (auto& [client, state] : clients_)
          endBrowser(state.renderer.get());
        queue_.stop();
        staged_.stop();
        emit closeRequested();
        return;
      case MessageKind::Request:
      case MessageKind::FieldRequest:
        handleRequest(socket, *message);
        break;
      case MessageKind::Hello:
        Send(*socket,
             EncodeHello(Hello{
                 kChannelVersion,
                 {kFeatureReferer, kFeatureMaxSize, kFeatureRetry, kFeatureStage,
                  kFeatureStageLanded, kFeatureSettings, kFeatureMinPicture, kFeatureConditional,
                  kFeatureStageConditional, kFeatureRender, kFeatureUnstageAll, kFeatureHostManners,
                  kFeatureRobots, kFeatureResume, kFeatureRequestsAhead}}));
        break;
      case MessageKind::Settings:
        applySettings(socket, *message);
        break;
      case MessageKind::Stage:
        // What robots.txt was to be asked about is never fetched ahead, nor a file
        // with a part kept: its own request continues it.
        if (const auto order = ParseStage(*message);
            order && !order->request.robots && !HoldsPart(order->request))
          staged_.stage(socket, *order, found->second.connection);
        break;
      case MessageKind::Unstage:
        if (IsUnstageAll(*message))
          staged_.unstageAll(socket);
        else if (const auto order = ParseUnstage(*message))
          staged_.unstage(socket, order->request.url, order->folder());
        break;
      case MessageKind::Notice:
      case MessageKind::FieldNotice:
      case MessageKind::Landed:
        break;  // notices go the other way
    }
    if (clients_.count(socket) == 0)
      return;
  }
  if (decoder.failed())
    socket->abort();  // a client that speaks garbage is dropped
}

void DownloadServer::handleRequest(QLocalSocket* socket, const Message& message) {
  auto answer = std::make_shared<Answer>();
  answer->requestKind = message.kind;
  clients_[socket].answers.push_back(answer);
  QPointer<QLocalSocket> client(socket);
  std::optional<FileRequest> request = ParseRequest(message);
  // The server's validators go only to a client that asked for them.
  const bool validators = request && request->validators;
  const auto done = [this, client, answer, validators](DownloadNotice notice) {
    if (!validators) {
      notice.etag.clear();
      notice.lastModified.clear();
    }
    ready(client, answer, std::move(notice));
  };
  std::shared_ptr<const ConnectionSetup> connection = clients_[socket].connection;
  if (request && !HoldsZeroByte(*request) && request->robots) {
    robots_.check(socket, request->url, connection,
                  [this, client, request, done, connection](std::optional<std::string> refusal) {
                    if (!client)
                      return;  // the gate forgets a client that has gone
                    if (!refusal) {
                      serve(client.data(), request, done, connection);
                      return;
                    }
                    DownloadNotice excluded = FailedNotice(kRobotsReason, std::move(*refusal));
                    excluded.robotsExcluded = true;
                    done(std::move(excluded));
                  });
    return;
  }
  serve(socket, std::move(request), done, std::move(connection));
}

void DownloadServer::serve(QLocalSocket* socket, std::optional<FileRequest> request,
                           std::function<void(DownloadNotice)> done,
                           std::shared_ptr<const ConnectionSetup> connection) {
  // A URL or path holding a zero byte is refused as a bad request before any
  // staged copy is looked at: the C calls would see a shorter text.
  if (request && !HoldsZeroByte(*request) && request->renderScrolls > 0) {
    renderPage(socket, *request, done, connection);
    return;
  }
  if (request && !HoldsZeroByte(*request)) {
    const bool staged =
        staged_.take(socket, *request, connection,
                     [this, done, request, connection](DownloadNotice notice, bool retry) {
                       // A copy that failed here, not at the server, is fetched again the
                       // ordinary way, as it would have been without staging.
                       if (retry) {
                         queue_.post(request, done, connection);
                       } else {
                         done(std::move(notice));
                       }
                     });
    if (staged)
      return;
  }
  queue_.post(std::move(request), done, connection);
}

void DownloadServer::renderPage(QLocalSocket* socket, const FileRequest& request,
                                std::function<void(DownloadNotice)> done,
                                std::shared_ptr<const ConnectionSetup> connection) {
  Client& client = clients_[socket];
  if (!client.renderer) {
    const std::optional<std::string> program = FindBrowserProgram();
    if (!program) {
      done(FailedNotice(failure::kNoBrowser, BrowserMissingText()));
      return;
    }
    client.renderer = std::make_unique<PageRenderer>(*program, renderLimits_);
  }
  RenderOrder order{request.url, request.referer, request.renderScrolls, {}, {}, {}, {}, {}};
  if (connection) {
    order.cookies = connection->cookieLines();
    order.userAgent = connection->order().userAgent;
    order.headers = connection->order().headers;
    order.proxy = connection->order().proxy;
    order.environment = connection->order().environment;
  }
  const auto started = std::chrono::steady_clock::now();
  client.renderer->render(std::move(order), [this, socket, request, done, connection,
                                             started](RenderResult result) {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - started);
    switch (result.outcome) {
      case RenderResult::Outcome::NotRendered: {
        FileRequest plain = request;
        plain.renderScrolls = 0;
        queue_.post(std::move(plain), done, connection);
        return;
      }
      case RenderResult::Outcome::Failed: {
        DownloadNotice failed = FailedNotice(failure::kRenderFailed,
                                             ReasonText(failure::kRenderFailed, result.reasonText));
        failed.elapsedMs = elapsed.count();
        done(std::move(failed));
        return;
      }
      case RenderResult::Outcome::Rendered:
        if (connection)
          connection->addCookieLines(result.cookies);
        DownloadNotice notice = LandRenderedPage(request, result, &temporaryFileRecord_, elapsed);
        // The pictures the page loaded wait beside it for the crawl's requests.
        if (notice.landed)
          staged_.keepLoaded(socket, TextFromPath(PathFromText(request.path).parent_path()),
                             result.loaded, connection);
        done(std::move(notice));
        return;
    }
  });
}

void DownloadServer::endBrowser(PageRenderer* renderer) {
  if (renderer == nullptr)
    return;
  browserStarts_ += renderer->browserStarts();
  peakBrowserBytes_ = std::max(peakBrowserBytes_, renderer->peakResidentBytes());
  renderer->stop();
}

void DownloadServer::applySettings(QLocalSocket* socket, const Message& message) {
  const std::uint64_t settings = ++lastSettings_;
  clients_[socket].settling = settings;
  settingsWorkers_.emplace(
      settings, std::thread([this, socket, settings, order = ParseSettings(message)] {
        SettingsAnswer answer;
        std::shared_ptr<const ConnectionSetup> connection = ConnectionSetup::Make(order, answer);
        QMetaObject::invokeMethod(
            this,
            [this, socket, settings, connection = std::move(connection), answer]() mutable {
              settled(socket, settings, std::move(connection), answer);
            },
            Qt::QueuedConnection);
      }));
}

void DownloadServer::settled(QLocalSocket* socket, std::uint64_t settings,
                             std::shared_ptr<const ConnectionSetup> connection,
                             const SettingsAnswer& answer) {
  const auto worker = settingsWorkers_.find(settings);
  if (worker != settingsWorkers_.end()) {
    worker->second.join();
    settingsWorkers_.erase(worker);
  }
  // A client that has gone meanwhile (its socket's address may be another's
  // by now) is not answered.
  const auto found = clients_.find(socket);
  if (found == clients_.end() || found->second.settling != settings)
    return;
  found->second.settling = 0;
  // Refused settings leave the client with those it had. Applied, they start
  // a new crawl, which reads each site's robots.txt afresh.
  if (connection) {
    found->second.connection = std::move(connection);
    robots_.restart(socket);
  }
  Send(*socket, EncodeSettingsAnswer(answer));
  readFrom(socket);  // the messages that waited
}

void DownloadServer::ready(const QPointer<QLocalSocket>& socket,
                           const std::shared_ptr<Answer>& answer, DownloadNotice notice) {
  answer->ready = true;
  answer->notice = std::move(notice);
  auto found = socket ? clients_.find(socket.data()) : clients_.end();
  if (found == clients_.end()) {
    // The client has gone: its notice is lost, the count advances.
    send(nullptr, answer->requestKind, std::move(answer->notice));
    return;
  }
  auto& answers = found->second.answers;
  while (!answers.empty() && answers.front()->ready) {
    const std::shared_ptr<Answer> due = std::move(answers.front());
    answers.pop_front();
    send(socket.data(), due->requestKind, std::move(due->notice));
  }
}

void DownloadServer::send(QLocalSocket* socket, MessageKind requestKind, DownloadNotice result) {
  // The count advances even when the client has gone and the notice is lost.
  result.count = DecimalText(downloadCount_);
  const std::string notice = requestKind == MessageKind::FieldRequest ? EncodeFieldNotice(result)
                                                                      : EncodeNotice(result.count);
  if (downloadCount_ < std::numeric_limits<std::int64_t>::max())
    ++downloadCount_;
  if (socket != nullptr && socket->state() == QLocalSocket::ConnectedState)
    Send(*socket, notice);
}

}  // namespace harvel
