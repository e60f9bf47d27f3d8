#pragma once

#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <map>

#include "downloader/download_queue.h"
#include "downloader/instance_lock.h"
#include "downloader/protocol/frame.h"
#include "downloader/protocol/notice.h"

namespace harvel {

// VeskDownloaderFrm: listens on the downloader's local socket and serves
// requests from any number of clients, one at a time in arrival order. Each
// request gets exactly one notice on the connection that carried it, after its
// download has ended: a version-1 request the decimal DownloadCount, a
// version-2 request a field notice with the count and how the download ended.
// DownloadCount then grows by one. A hello is answered with this program's
// version and features. A close message ends the program at once.
class DownloadServer : public QObject {
  Q_OBJECT

 public:
  explicit DownloadServer(DownloadLimits limits = {}, QObject* parent = nullptr);
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
  void answer(const QPointer<QLocalSocket>& socket, MessageKind requestKind, DownloadNotice notice);

  QLocalServer server_;
  InstanceLock lock_;
  std::map<QLocalSocket*, FrameDecoder> decoders_;
  DownloadQueue queue_;
  std::int64_t downloadCount_ = 0;
};

}  // namespace harvel
