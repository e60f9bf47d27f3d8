#pragma once

#include <QLocalSocket>
#include <chrono>
#include <deque>
#include <optional>
#include <string>

#include "downloader/protocol/frame.h"
#include "downloader/protocol/request_text.h"

namespace harvel::test {

// Talks to VeskDownloader frame by frame, as a crawl would, with time-outs.
class RawClient {
 public:
  bool connect();
  void sendBytes(const std::string& bytes);
  void request(const std::string& url, const std::string& path) {
    sendBytes(EncodeRequest(url, path));
  }
  void request(const FileRequest& request) { sendBytes(EncodeFieldRequest(request)); }
  void close() { sendBytes(EncodeClose()); }

  // The next notice's text, or nullopt when none comes in time.
  std::optional<std::string> notice(std::chrono::milliseconds timeout = std::chrono::seconds(20));

  // The next message of any kind, or nullopt when none comes in time.
  std::optional<Message> message(std::chrono::milliseconds timeout = std::chrono::seconds(20));

  // Sends a hello and waits for its answer, which comes at once: everything
  // sent before it has then been read. Notices that come meanwhile are kept
  // for notice() and message().
  bool sync(std::chrono::milliseconds timeout = std::chrono::seconds(20));

  // True when the downloader hangs up within the time.
  bool waitForHangUp(std::chrono::milliseconds timeout = std::chrono::seconds(5));

 private:
  std::optional<Message> read(std::chrono::milliseconds timeout);

  QLocalSocket socket_;
  FrameDecoder decoder_;
  std::deque<Message> early_;  // what came before the answer of a sync()
};

}  // namespace harvel::test
