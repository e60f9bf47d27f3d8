#pragma once

#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>

#include "downloader/download_queue.h"
#include "downloader/instance_lock.h"
#include "downloader/protocol/frame.h"
#include "downloader/staged_transfers.h"

namespace harvel {

// VeskDownloaderFrm: listens on the downloader's local socket and serves
// requests from any number of clients, one at a time in arrival order. Each
// request gets exactly one notice, the decimal DownloadCount, on the
// connection that carried it, after its download has ended, in the order the
// client sent them; DownloadCount then grows by one. A close message ends the
// program at once. A client that said hello may stage files (fetching ahead):
// its requests for them are answered from the staged copies.
class DownloadServer : public QObject {
  Q_OBJECT

 public:
  explicit DownloadServer(QObject* parent = nullptr);
  ~DownloadServer() override;

  // Starts listening. False with `error` set when the socket folder cannot be
  // had, another downloader runs already, or the socket cannot be made.
  bool listen(QString& error);

 signals:
  // A client sent the close message; the running download has been stopped.
  void closeRequested();

 private:
  void acceptConnections();
  void readFrom(QLocalSocket* socket);
  void handleRequest(QLocalSocket* socket, const Message& message);
  // The download behind `slot` has ended: the notices now due go out in order.
  void ready(const QPointer<QLocalSocket>& socket, const std::shared_ptr<bool>& slot);
  void answer(QLocalSocket* socket);

  struct Client {
    FrameDecoder decoder;
    std::deque<std::shared_ptr<bool>> answers;  // one per request, true once it has ended
  };

  QLocalServer server_;
  InstanceLock lock_;
  std::map<QLocalSocket*, Client> clients_;
  DownloadQueue queue_;
  StagedTransfers staged_;
  std::int64_t downloadCount_ = 0;
};

}  // namespace harvel
