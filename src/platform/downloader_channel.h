#pragma once

#include <QLocalSocket>
#include <QObject>
#include <QString>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "crawl/download_channel.h"
#include "downloader/protocol/frame.h"

namespace harvel {

// The crawl's side of the channel to VeskDownloader (DownloaderWnd), on Qt's
// local sockets; needs a QCoreApplication and an event loop that runs (the
// notices arrive as socket events).
//
//   - connectOrStart(): "found" means a connection to the downloader's socket
//     succeeds. When nothing answers, `VeskDownloader wake` is started from
//     `programFolder` and the channel waits, bounded, until it accepts.
//   - Downloading(): sends the request `URL,path`; the notice that comes back
//     on this connection is written into the mailbox if it still exists.
//   - When the connection drops or a request cannot be delivered, the
//     downloader is found or started again and the unanswered requests are
//     sent again (each at most twice); if that fails, each waiting mailbox gets
//     `channelError` and the crawl ends instead of waiting.
//   - A restarted downloader counts from 0 again, and a crawl goes on only when
//     its mailbox text changes: after a restart the channel shifts the counts
//     it writes past the last one it wrote, so they keep growing.
//   - Each new connection starts with a hello that states this side's protocol
//     version; a downloader that answers with the staging capability is asked
//     to fetch ahead (Stage, Unstage). An older downloader, which drops a
//     connection that begins with a message it does not know, is connected to
//     again without the hello and gets one request at a time.
//   - close(): sends the close message. The desktop program always closes the
//     downloader at exit; harvel-cli only when startedDownloader().
class DownloaderChannel : public QObject, public DownloadChannel {
  Q_OBJECT

 public:
  explicit DownloaderChannel(QString programFolder, QObject* parent = nullptr);
  ~DownloaderChannel() override;

  // Connects to a running downloader, or starts one and waits for it. False
  // with errorText() set when neither works.
  bool connectOrStart();

  // Connects to a running downloader only.
  bool find();

  bool isConnected() const;
  bool startedDownloader() const { return startedDownloader_; }
  const QString& errorText() const { return errorText_; }

  void Downloading(const std::string& url, const std::string& path,
                   std::weak_ptr<Mailbox> mailbox) override;
  bool canStage() const override;
  void Stage(const std::string& url, const std::string& folder, int jobs) override;
  void Unstage(const std::string& url, const std::string& folder) override;

  // The protocol version of the downloader now connected: 1 for one that knows
  // no hello, 0 while not connected.
  int peerVersion() const { return isConnected() ? peerVersion_ : 0; }

  // Sends the close message to the downloader (finding it first when there is
  // no connection) and drops the connection. Unanswered requests are dropped.
  void close();

  // How long a started downloader has to accept connections.
  void setStartTimeout(std::chrono::milliseconds timeout) { startTimeout_ = timeout; }

 private:
  struct Pending {
    std::string frame;
    std::weak_ptr<Mailbox> mailbox;
    int resends = 0;
  };

  bool startDownloader();
  // Says hello on a new connection; false when the peer dropped it.
  bool greet(QLocalSocket& socket);
  void attach(QLocalSocket* socket);
  void detach();
  bool send(const std::string& frame);
  void readNotices();
  void connectionLost();
  void recover();
  void failPending();
  std::string countText(const std::string& notice);

  QString programFolder_;
  QLocalSocket* socket_ = nullptr;
  FrameDecoder decoder_;
  std::deque<Pending> pending_;
  bool startedDownloader_ = false;
  bool recovering_ = false;
  bool legacyPeer_ = false;  // the downloader found knows no hello
  int peerVersion_ = 1;
  bool peerStages_ = false;
  std::int64_t countOffset_ = 0;  // added to the downloader's counts after a restart
  std::int64_t lastCountWritten_ = -1;
  QString errorText_;
  std::chrono::milliseconds startTimeout_{5000};
};

}  // namespace harvel
