#include "downloader/render/devtools_pipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <QJsonDocument>
#include <cerrno>

namespace harvel {

DevToolsPipe::DevToolsPipe(QObject* parent) : QObject(parent) {}

DevToolsPipe::~DevToolsPipe() {
  // Nobody is answered from a destructor.
  replies_.clear();
  readable_.reset();
  writable_.reset();
}

void DevToolsPipe::open(int commandFd, int answerFd) {
  close();
  commandFd_ = commandFd;
  answerFd_ = answerFd;
  ::fcntl(commandFd_, F_SETFL, ::fcntl(commandFd_, F_GETFL) | O_NONBLOCK);
  ::fcntl(answerFd_, F_SETFL, ::fcntl(answerFd_, F_GETFL) | O_NONBLOCK);
  incoming_.clear();
  outgoing_.clear();
  readable_ = std::make_unique<QSocketNotifier>(answerFd_, QSocketNotifier::Read);
  connect(readable_.get(), &QSocketNotifier::activated, this, &DevToolsPipe::readAnswers);
  writable_ = std::make_unique<QSocketNotifier>(commandFd_, QSocketNotifier::Write);
  writable_->setEnabled(false);
  connect(writable_.get(), &QSocketNotifier::activated, this, &DevToolsPipe::writeCommands);
}

void DevToolsPipe::send(const QString& method, const QJsonObject& params, Reply reply,
                        const QString& session) {
  if (!isOpen()) {
    if (reply)
      reply({}, QStringLiteral("the browser is not running"));
    return;
  }
  const int id = nextId_++;
  QJsonObject message{{"id", id}, {"method", method}, {"params", params}};
  if (!session.isEmpty())
    message.insert("sessionId", session);
  if (reply)
    replies_.emplace(id, std::move(reply));
  outgoing_ += QJsonDocument(message).toJson(QJsonDocument::Compact).toStdString();
  outgoing_ += '\0';
  writeCommands();
}

void DevToolsPipe::writeCommands() {
  while (!outgoing_.empty() && commandFd_ >= 0) {
    const ssize_t written = ::write(commandFd_, outgoing_.data(), outgoing_.size());
    if (written > 0) {
      outgoing_.erase(0, static_cast<std::size_t>(written));
      continue;
    }
    if (written < 0 && errno == EINTR)
      continue;
    if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
      break;
    fail();
    return;
  }
  if (writable_)
    writable_->setEnabled(!outgoing_.empty());
}

void DevToolsPipe::readAnswers() {
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(answerFd_, buffer, sizeof buffer);
    if (got > 0) {
      incoming_.append(buffer, static_cast<std::size_t>(got));
      std::size_t end;
      while (isOpen() && (end = incoming_.find('\0')) != std::string::npos) {
        const QByteArray message(incoming_.data(), static_cast<qsizetype>(end));
        incoming_.erase(0, end + 1);
        dispatch(message);
      }
      if (!isOpen())
        return;
      if (incoming_.size() > kLargestMessage) {
        fail();
        return;
      }
      continue;
    }
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
      return;
    fail();  // end of the pipe: the browser has gone
    return;
  }
}

void DevToolsPipe::dispatch(const QByteArray& message) {
  const QJsonObject object = QJsonDocument::fromJson(message).object();
  if (object.contains("id")) {
    const auto found = replies_.find(object.value("id").toInt());
    if (found == replies_.end())
      return;
    Reply reply = std::move(found->second);
    replies_.erase(found);
    const QJsonObject error = object.value("error").toObject();
    reply(object.value("result").toObject(),
          error.isEmpty() ? QString() : error.value("message").toString("error"));
    return;
  }
  emit event(object.value("method").toString(), object.value("params").toObject(),
             object.value("sessionId").toString());
}

void DevToolsPipe::fail() {
  close();
  emit closed();
}

void DevToolsPipe::close() {
  // close() may run inside a notifier's own signal: they go once it returns.
  for (auto* notifier : {readable_.release(), writable_.release()}) {
    if (notifier != nullptr) {
      notifier->setEnabled(false);
      notifier->deleteLater();
    }
  }
  commandFd_ = -1;
  answerFd_ = -1;
  std::map<int, Reply> waiting;
  waiting.swap(replies_);
  for (auto& [id, reply] : waiting)
    reply({}, QStringLiteral("the browser closed its pipe"));
}

}  // namespace harvel
