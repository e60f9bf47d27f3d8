#pragma once

#include <QLocalSocket>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <thread>

#include "downloader/connection_setup.h"
#include "downloader/download_queue.h"
#include "downloader/host_queue.h"
#include "downloader/instance_lock.h"
#include "downloader/local_listener.h"
#include "downloader/protocol/frame.h"
#include "downloader/protocol/notice.h"
#include "downloader/render/page_renderer.h"
#include "downloader/render/render_limits.h"
#include "downloader/robots_gate.h"
#include "downloader/staged_transfers.h"
#include "downloader/temporary_file_record.h"

namespace harvel {

// VeskDownloaderFrm: listens on the downloader's local socket and serves
// requests from any number of clients, one at a time in arrival order. Each
// request gets exactly one notice on the connection that carried it, after its
// download has ended, in the order the client sent them: a version-1 request
// the decimal DownloadCount, a version-2 request a field notice with the count
// and how the download ended. DownloadCount then grows by one. A hello is
// answered with this program's version and features. A client that said hello
// may stage files (fetching ahead): its requests for them are answered from
// the staged copies, and may give its connection settings (cookies, headers,
// proxy, ...), which its later requests and staged files use. A close message ends the program at
// once. With no client connected for `idleTimeout`, the program ends too: a client that was killed
// never closes it.
class DownloadServer : public QObject {
  Q_OBJECT

 public:
  explicit DownloadServer(DownloadLimits limits = {},
                          std::chrono::milliseconds idleTimeout = std::chrono::seconds(60),
                          QObject* parent = nullptr);
  ~DownloadServer() override;

  // Starts listening. False with `error` set when the socket folder cannot be
  // had, another downloader runs already, or the socket cannot be made.
  bool listen(QString& error);
  // The copies staged by every client since the start.
  const StagedTransfers& staged() const { return staged_; }
  // Every host's turns, shared by the ordinary downloads and the staged ones.
  HostQueue& hosts() { return hosts_; }
  // For benchmarks: browsers started for rendering, and the most memory one
  // held, over every client since the start.
  int browserStarts() const { return browserStarts_; }
  std::int64_t peakBrowserBytes() const { return peakBrowserBytes_; }

 signals:
  // A client sent the close message; the running download has been stopped.
  void closeRequested();

  // No client has been connected for the idle time-out; the running download
  // has been stopped.
  void idle();

 private:
  void accept(QLocalSocket* socket);
  void readFrom(QLocalSocket* socket);
  void handleRequest(QLocalSocket* socket, const Message& message);
  // A sound request, once robots.txt (when asked) lets it through: rendered,
  // answered from a staged copy or downloaded.
  void serve(QLocalSocket* socket, std::optional<FileRequest> request,
             std::function<void(DownloadNotice)> done,
             std::shared_ptr<const ConnectionSetup> connection);
  // A settings message: the client's new connection settings, made ready on
  // a thread of their own (a cookies file is read), so that other clients
  // are served meanwhile; this client's later messages wait for them.
  void applySettings(QLocalSocket* socket, const Message& message);
  // A request with render: the client's browser opens the page (started at
  // its first one). A page the browser cannot show is downloaded the ordinary way.
  void renderPage(QLocalSocket* socket, const FileRequest& request,
                  std::function<void(DownloadNotice)> done,
                  std::shared_ptr<const ConnectionSetup> connection);
  // Ends a client's browser, keeping its figures for browserStarts().
  void endBrowser(PageRenderer* renderer);
  // The settings of `settings` are ready: taken unless refused, and answered.
  void settled(QLocalSocket* socket, std::uint64_t settings,
               std::shared_ptr<const ConnectionSetup> connection, const SettingsAnswer& answer);
  // One request's notice, sent once it and every request before it have ended.
  struct Answer {
    MessageKind requestKind = MessageKind::Request;
    bool ready = false;
    DownloadNotice notice;
  };
  // The download behind `answer` has ended: the notices now due go out in order.
  void ready(const QPointer<QLocalSocket>& socket, const std::shared_ptr<Answer>& answer,
             DownloadNotice notice);
  void send(QLocalSocket* socket, MessageKind requestKind, DownloadNotice notice);

  struct Client {
    FrameDecoder decoder;
    // Its connection settings, from its latest settings message: each one
    // starts a fresh cookie jar. Null until then: the downloader's own.
    std::shared_ptr<const ConnectionSetup> connection;
    std::deque<std::shared_ptr<Answer>> answers;  // one per request, in order
    std::unique_ptr<PageRenderer> renderer;       // from its first page to render
    std::uint64_t settling = 0;                   // the settings being made ready, if any
  };

  InstanceLock lock_;
  TemporaryFileRecord temporaryFileRecord_;
  LocalListener listener_;
  QTimer idleTimer_;
  std::map<QLocalSocket*, Client> clients_;
  HostQueue hosts_;  // before the queue and the staged transfers, which use it
  DownloadQueue queue_;
  StagedTransfers staged_;
  RobotsGate robots_;
  std::int64_t downloadCount_ = 0;
  RenderLimits renderLimits_;
  int browserStarts_ = 0;
  std::int64_t peakBrowserBytes_ = 0;
  std::uint64_t lastSettings_ = 0;
  std::map<std::uint64_t, std::thread> settingsWorkers_;
};

}  // namespace harvel
