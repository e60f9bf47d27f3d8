#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "downloader/curl_event_loop.h"
#include "downloader/download_limits.h"
#include "downloader/file_downloader.h"
#include "downloader/host_queue.h"
#include "downloader/protocol/notice.h"
#include "downloader/protocol/request_text.h"

namespace harvel {

// Runs downloads one after another, in the order they were posted, from the
// program's event loop: the program stays responsive while a download runs.
// A download whose host must not be asked yet (HostQueue: a wait between two
// requests, a pause the server asked for, its most transfers at once) lets
// the next ones to other hosts go first, and starts when its host allows.
// A download that failed for a passing reason (the connection refused or
// broken, a time-out, HTTP 429 or 503) is tried again after its host's pause
// (the server's Retry-After, or the limits' pause); only its last try is
// answered. A Retry-After over the limits' longest pause fails it at once, and
// the host's other downloads until that time has passed.
class DownloadQueue {
 public:
  // Called from the event loop when a job has ended: how it ended (the count
  // is left to the caller).
  using Done = std::function<void(DownloadNotice result)>;

  // `hosts`, shared with the staged transfers, must outlive the queue.
  DownloadQueue(DownloadLimits limits, HostQueue& hosts);
  ~DownloadQueue();  // stop()
  DownloadQueue(const DownloadQueue&) = delete;
  DownloadQueue& operator=(const DownloadQueue&) = delete;

  // Where the temporary file being written is named.
  void setTemporaryFileRecord(TemporaryFileRecord* record) { downloader_.setRecord(record); }

  // A job without a request downloads nothing; its `done` still comes in turn.
  // `connection`: the settings of the client that asked (null: the downloader's own).
  void post(std::optional<FileRequest> request, Done done,
            std::shared_ptr<const ConnectionSetup> connection = nullptr);

  // Ends the running download at once (leaving no file) and drops the jobs not
  // yet started; nobody is answered any more.
  void stop();

 private:
  using Clock = std::chrono::steady_clock;
  struct Job {
    std::optional<FileRequest> request;
    Done done;
    std::shared_ptr<const ConnectionSetup> connection;
    int retries = 0;
    std::optional<Clock::time_point> started;  // at the first try
    bool contacted = false;                    // its transfer counts at its host
  };
  void startNext();
  // The first job that may start now (or be answered at once), if any.
  std::optional<Job> takeReady();
  void begin();
  void finished(int result);
  // The running job's transfer is over: its host is told.
  void leaveHost();
  void answer(DownloadNotice notice);
  std::chrono::milliseconds pauseBeforeRetry() const;

  DownloadLimits limits_;
  HostQueue& hosts_;
  FileDownloader downloader_;
  CurlEventLoop loop_;
  std::deque<Job> jobs_;
  std::optional<Job> running_;
  bool stopped_ = false;
  bool starting_ = false;  // startNext() is at work
};

}  // namespace harvel
