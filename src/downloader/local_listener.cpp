#include "downloader/local_listener.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace harvel {
namespace {

// How long to wait before accepting again after running out of descriptors.
constexpr int kRetryMs = 100;
constexpr int kBacklog = 128;

}  // namespace

LocalListener::LocalListener(QObject* parent) : QObject(parent) {
  retry_.setSingleShot(true);
  retry_.setInterval(kRetryMs);
  connect(&retry_, &QTimer::timeout, this, [this] {
    notifier_->setEnabled(true);
    acceptPending();
  });
}

LocalListener::~LocalListener() {
  close();
}

bool LocalListener::listen(const std::string& path, QString& error) {
  close();
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    error = QStringLiteral("the socket path %1 is too long").arg(QString::fromStdString(path));
    return false;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) {
    error = QStringLiteral("cannot make a socket: %1").arg(QString::fromLocal8Bit(strerror(errno)));
    return false;
  }
  unlink(path.c_str());
  // Only this user may connect: the socket is made without rights for others.
  const mode_t mask = umask(0177);
  const bool bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  umask(mask);
  if (!bound || ::listen(fd, kBacklog) != 0) {
    error = QStringLiteral("cannot listen at %1: %2")
                .arg(QString::fromStdString(path), QString::fromLocal8Bit(strerror(errno)));
    ::close(fd);
    if (bound)
      unlink(path.c_str());
    return false;
  }
  fd_ = fd;
  path_ = path;
  notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &LocalListener::acceptPending);
  return true;
}

void LocalListener::close() {
  if (fd_ < 0)
    return;
  retry_.stop();
  notifier_.reset();
  ::close(fd_);
  fd_ = -1;
  unlink(path_.c_str());
}

void LocalListener::acceptPending() {
  while (fd_ >= 0) {
    const int client = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (client >= 0) {
      auto* socket = new QLocalSocket(this);
      socket->setSocketDescriptor(client);
      emit accepted(socket);
      continue;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK)
      return;
    if (errno == EINTR || errno == ECONNABORTED || errno == EPROTO)
      continue;
    // Out of descriptors or memory: the connections wait in the queue until
    // the next try.
    notifier_->setEnabled(false);
    retry_.start();
    return;
  }
}

}  // namespace harvel
