#pragma once

#include <QJsonObject>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace harvel {

// The browser's DevTools protocol over its pipe: JSON messages, each ended by
// a NUL byte, commands with an id answered by a message with the same id,
// events without one. Read and written from the event loop without blocking.
class DevToolsPipe : public QObject {
  Q_OBJECT

 public:
  // A command's answer: its result, or an error text (the browser's own, or
  // that the pipe closed first).
  using Reply = std::function<void(const QJsonObject& result, const QString& error)>;

  // A message larger than this closes the pipe: nothing a page holds is worth more.
  static constexpr std::size_t kLargestMessage = 128u << 20;

  explicit DevToolsPipe(QObject* parent = nullptr);
  ~DevToolsPipe() override;

  // Talks over the two descriptors (BrowserProcess's ends); not owned.
  void open(int commandFd, int answerFd);
  bool isOpen() const { return commandFd_ >= 0; }

  // Sends `method` with `params`, to the page of `session` when not empty.
  void send(const QString& method, const QJsonObject& params = {}, Reply reply = {},
            const QString& session = {});

  // Stops reading and writing; every command not answered is answered with an error.
  void close();

 signals:
  void event(const QString& method, const QJsonObject& params, const QString& session);
  // The browser's end closed (it ended or crashed) or sent what is no message.
  void closed();

 private:
  void readAnswers();
  void writeCommands();
  void dispatch(const QByteArray& message);
  void fail();

  int commandFd_ = -1;
  int answerFd_ = -1;
  std::unique_ptr<QSocketNotifier> readable_;
  std::unique_ptr<QSocketNotifier> writable_;
  std::string incoming_;
  std::string outgoing_;
  int nextId_ = 1;
  std::map<int, Reply> replies_;
};

}  // namespace harvel
