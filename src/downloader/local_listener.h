#pragma once

#include <QLocalSocket>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <memory>
#include <string>

namespace harvel {

// The downloader's listening socket. Unlike QLocalServer, which closes for
// good (and deletes its socket) the first time accept fails, it keeps
// listening: when the process has no descriptor to spare (too many open
// files), the waiting connections are taken a moment later, once some have
// been closed.
class LocalListener : public QObject {
  Q_OBJECT

 public:
  explicit LocalListener(QObject* parent = nullptr);
  ~LocalListener() override;  // close()

  // Listens at `path`, replacing a socket file left there (the caller holds
  // the lock that makes it ours). Only this user may connect. False with
  // `error` set when that fails.
  bool listen(const std::string& path, QString& error);

  // Stops listening and removes the socket file.
  void close();

 signals:
  // A new connection; the listener is its parent, the receiver may delete it.
  void accepted(QLocalSocket* socket);

 private:
  void acceptPending();

  int fd_ = -1;
  std::string path_;
  std::unique_ptr<QSocketNotifier> notifier_;
  QTimer retry_;
};

}  // namespace harvel
