#pragma once

#include <QLocalSocket>
#include <QObject>
#include <QString>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "common/connection_settings.h"
#include "crawl/download_channel.h"
#include "downloader/protocol/frame.h"
#include "downloader/protocol/hello.h"
#include "downloader/protocol/settings_message.h"
#include "platform/downloader_launcher.h"
#include "platform/pending_requests.h"

namespace harvel {

// The crawl's side of the channel to VeskDownloader (DownloaderWnd), on Qt's
// local sockets; needs a QCoreApplication and an event loop that runs (the
// notices arrive as socket events).
//
//   - connectOrStart(): "found" means a connection to the downloader's socket
//     succeeds. When nothing answers, a DownloaderLauncher starts one from
//     `programFolder` and waits, bounded, until it accepts.
//   - Each connection starts with the hello: version 2 when the downloader
//     answers it, version 1 (a new connection without hello) when it drops
//     the connection at the unknown message, as an older one does.
//   - Downloading(): sends the request; the notice that comes back on this
//     connection is written into the mailbox if it still exists, its outcome
//     first and then its count.
//   - When the connection drops or a request cannot be delivered, the
//     downloader is found or started again and the unanswered requests are
//     sent again (each at most twice); if that fails, each waiting mailbox gets
//     `channelError` and the crawl ends instead of waiting.
//   - The requests not answered yet are PendingRequests, which also shift the
//     counts of a restarted downloader so that they keep growing.
//   - A downloader whose hello says "stage" is asked to fetch ahead (Stage,
//     Unstage); any other gets one request at a time.
//   - applySettings() gives a downloader whose hello says "settings" the
//     connection settings of the crawl about to start (a fresh cookie jar
//     each time), and gives them again to a downloader it reconnects to.
//   - close(): sends the close message. The desktop program always closes the
//     downloader at exit; harvel-cli only when startedDownloader().
class DownloaderChannel : public QObject, public DownloadChannel {
  Q_OBJECT

 public:
  explicit DownloaderChannel(QString programFolder, QObject* parent = nullptr);
  ~DownloaderChannel() override;

  // Connects to a running downloader, or starts one and waits for it. False
  // with errorText() set when neither works, at once when the socket folder is
  // refused.
  bool connectOrStart();

  // From now on no downloader is started or waited for (Ctrl-C): a wait under
  // way ends, and the downloader it waited for is closed or ended.
  void stopStarting();

  // Connects to a running downloader only.
  bool connectToRunning();

  bool isConnected() const;
  bool startedDownloader() const { return launcher_.startedDownloader(); }
  const QString& errorText() const { return errorText_; }

  using DownloadChannel::Downloading;
  void Downloading(const FileRequest& request, std::weak_ptr<Mailbox> mailbox) override;
  bool CanCarry(const FileRequest& request) const override;
  bool renders() const override;
  bool obeysRobots() const override;
  bool canStage() const override;
  void Stage(const StagedFile& file) override;
  void Unstage(const std::string& url, const std::string& folder) override;
  void UnstageAll(const std::vector<std::pair<std::string, std::string>>& copies) override;
  bool tellsLanded() const override;
  bool stagesConditional() const override;
  bool sendsAhead() const override;
  std::vector<LandedCopy> takeLandedCopies() override;

  enum class SettingsResult {
    Applied,
    Refused,      // the downloader cannot use them: errorText() tells why
    NotTaken,     // the running downloader is an older one that takes no settings
    Unreachable,  // no downloader, or it did not answer: errorText() tells why
  };
  // The connection settings of the crawl about to start, given to the
  // downloader (connecting first when needed), which answers before this
  // returns: its fresh cookie jar holds the cookies file's cookies. The
  // cookies and CA files are named by absolute paths, and the proxy
  // variables of this program's environment go with them. A downloader that
  // takes no settings is fine for the defaults only. The settings are given
  // again to any downloader the channel reconnects to during the crawl.
  SettingsResult applySettings(const ConnectionSettings& settings);
  // What the downloader said the user should know about the settings last
  // applied (a cookies file others may read); empty when nothing.
  const QString& settingsWarning() const { return settingsWarning_; }

  // The channel version the connection speaks (0 when not connected).
  int version() const { return isConnected() ? peer_.version : 0; }

  // Sends the close message to the downloader (finding it first when there is
  // no connection) and drops the connection. Unanswered requests are dropped.
  void close();

  // How long a started downloader has to accept connections.
  void setStartTimeout(std::chrono::milliseconds timeout) { launcher_.setStartTimeout(timeout); }

 private:
  bool startAndConnect();
  void endStartedDownloader();
  QLocalSocket* connectSocket(const std::string& endpoint);
  // The downloader's answer to the hello; nullopt when it gave none.
  std::optional<Hello> greet(QLocalSocket& socket);
  void attach(QLocalSocket* socket, Hello peer);
  void detach();
  bool send(const std::string& frame);
  std::string requestFrame(const FileRequest& request) const;
  void readNotices();
  // Sends settings_ and waits for the answer: Applied, Refused or Unreachable.
  SettingsResult sendSettings();
  void connectionLost();
  void recover();
  void failPending();

  DownloaderLauncher launcher_;
  QLocalSocket* socket_ = nullptr;
  FrameDecoder decoder_;
  // The downloader as its hello stated it: the version the connection speaks
  // and, in version 2, what it can do ("stage", "min-picture", ...). A
  // connection without a hello speaks version 1 with no features.
  Hello peer_{};
  PendingRequests pending_;
  bool recovering_ = false;
  std::vector<LandedCopy> landed_;                // told of, not yet taken
  std::optional<SettingsOrder> settings_;         // given to every downloader from now on
  std::optional<SettingsAnswer> settingsAnswer_;  // the answer being waited for
  QString settingsWarning_;
  QString errorText_;
};

}  // namespace harvel
