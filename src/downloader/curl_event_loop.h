#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

typedef void CURL;
typedef void CURLM;

namespace harvel {

// Runs libcurl transfers from the Qt event loop: libcurl tells which sockets to
// watch and when it wants to be called on a time-out, and it is called when one
// of them is ready. While a download runs the program sleeps in its event loop,
// so requests, new clients and the close message are handled meanwhile, with no
// second thread to hand work to and back.
class CurlEventLoop : public QObject {
  Q_OBJECT

 public:
  // Called from the event loop when a transfer has ended, with its CURLcode.
  using Finished = std::function<void(CURL* easy, int result)>;

  explicit CurlEventLoop(Finished finished, QObject* parent = nullptr);
  ~CurlEventLoop() override;
  CurlEventLoop(const CurlEventLoop&) = delete;
  CurlEventLoop& operator=(const CurlEventLoop&) = delete;

  // Starts the transfer of `easy`; false when libcurl refuses it. A transfer
  // that ends at once is reported from inside this call.
  bool start(CURL* easy);
  // Takes `easy` out, ended or not. Its connection stays open for the next one.
  void stop(CURL* easy);

 private:
  struct Watch {
    std::unique_ptr<QSocketNotifier> read;
    std::unique_ptr<QSocketNotifier> write;
  };

  static int onSocket(CURL* easy, int socket, int what, void* self, void* socketData);
  static int onTimer(CURLM* multi, long timeoutMs, void* self);
  void watch(int socket, int what);
  void act(int socket, int events);

  CURLM* multi_;
  Finished finished_;
  QTimer timer_;
  // One pair per socket number, kept while the program runs: a kept-alive
  // connection is watched again for every request without new notifiers.
  std::map<int, Watch> watches_;
};

}  // namespace harvel
