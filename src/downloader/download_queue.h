#pragma once

#include <deque>
#include <functional>
#include <optional>

#include "downloader/curl_event_loop.h"
#include "downloader/file_download.h"
#include "downloader/protocol/request_text.h"

namespace harvel {

// Runs downloads one after another, in the order they were posted, from the
// program's event loop: the program stays responsive while a download runs.
class DownloadQueue {
 public:
  // Called from the event loop when a job has ended: true when the file is in
  // place.
  using Done = std::function<void(bool downloaded)>;

  DownloadQueue();
  ~DownloadQueue();  // stop()
  DownloadQueue(const DownloadQueue&) = delete;
  DownloadQueue& operator=(const DownloadQueue&) = delete;

  // Where the temporary file being written is named.
  void setTemporaryFileRecord(TemporaryFileRecord* record) { downloader_.setRecord(record); }

  // A job without a request downloads nothing; its `done` still comes in turn.
  void post(std::optional<DownloadRequest> request, Done done);

  // Ends the running download at once (leaving no file) and drops the jobs not
  // yet started; nobody is answered any more.
  void stop();

 private:
  struct Job {
    std::optional<DownloadRequest> request;
    Done done;
  };
  void startNext();
  void finished(int result);

  FileDownloader downloader_;
  CurlEventLoop loop_;
  std::deque<Job> jobs_;
  std::optional<Job> running_;
  bool stopped_ = false;
  bool starting_ = false;  // startNext() is at work
};

}  // namespace harvel
