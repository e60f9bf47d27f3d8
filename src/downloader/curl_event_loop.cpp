#include "downloader/curl_event_loop.h"

#include <curl/curl.h>

namespace harvel {

CurlEventLoop::CurlEventLoop(Finished finished, QObject* parent)
    : QObject(parent), multi_(curl_multi_init()), finished_(std::move(finished)) {
  curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, &CurlEventLoop::onSocket);
  curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, this);
  curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, &CurlEventLoop::onTimer);
  curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, this);
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] { act(CURL_SOCKET_TIMEOUT, 0); });
}

CurlEventLoop::~CurlEventLoop() {
  // Nothing may be watched or timed from inside the clean-up.
  curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, nullptr);
  curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, nullptr);
  curl_multi_cleanup(multi_);
}

bool CurlEventLoop::start(CURL* easy) {
  if (curl_multi_add_handle(multi_, easy) != CURLM_OK)
    return false;
  // libcurl asks for a time-out of 0 ms: it is run here rather than on the next
  // pass of the event loop, so the request goes out at once.
  act(CURL_SOCKET_TIMEOUT, 0);
  return true;
}

void CurlEventLoop::stop(CURL* easy) {
  curl_multi_remove_handle(multi_, easy);
}

int CurlEventLoop::onSocket(CURL*, curl_socket_t socket, int what, void* self, void*) {
  static_cast<CurlEventLoop*>(self)->watch(socket, what);
  return 0;
}

int CurlEventLoop::onTimer(CURLM*, long timeoutMs, void* self) {
  // libcurl must not be called back from inside this call: the timer does it.
  QTimer& timer = static_cast<CurlEventLoop*>(self)->timer_;
  if (timeoutMs < 0) {
    timer.stop();
  } else {
    timer.start(static_cast<int>(timeoutMs));
  }
  return 0;
}

void CurlEventLoop::watch(curl_socket_t socket, int what) {
  Watch& watch = watches_[socket];
  if (!watch.read) {
    watch.read = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
    watch.write = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Write);
    connect(watch.read.get(), &QSocketNotifier::activated, this,
            [this, socket] { act(socket, CURL_CSELECT_IN); });
    connect(watch.write.get(), &QSocketNotifier::activated, this,
            [this, socket] { act(socket, CURL_CSELECT_OUT); });
  }
  // A notifier that is not enabled watches nothing: libcurl may close the
  // socket, and its number may come back for another one.
  watch.read->setEnabled(what == CURL_POLL_IN || what == CURL_POLL_INOUT);
  watch.write->setEnabled(what == CURL_POLL_OUT || what == CURL_POLL_INOUT);
}

void CurlEventLoop::act(curl_socket_t socket, int events) {
  int running = 0;
  curl_multi_socket_action(multi_, socket, events, &running);
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
    if (message->msg == CURLMSG_DONE)
      finished_(message->easy_handle, message->data.result);
  }
}

}  // namespace harvel
