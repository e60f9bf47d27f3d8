#pragma once

#include <QLocalSocket>
#include <chrono>
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
  void request(const DownloadRequest& request) { sendBytes(EncodeFieldRequest(request)); }
  void close() { sendBytes(EncodeClose()); }

  // The next notice's text, or nullopt when none comes in time.
  std::optional<std::string> notice(std::chrono::milliseconds timeout = std::chrono::seconds(20));

  // The next message of any kind, or nullopt when none comes in time.
  std::optional<Message> message(std::chrono::milliseconds timeout = std::chrono::seconds(20));

  // True when the downloader hangs up within the time.
  bool waitForHangUp(std::chrono::milliseconds timeout = std::chrono::seconds(5));

 private:
  QLocalSocket socket_;
  FrameDecoder decoder_;
};

}  // namespace harvel::test
