#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "downloader/file_download.h"
#include "downloader/protocol/request_text.h"

namespace harvel {

// Runs downloads one after another, in the order they were posted, on a thread
// of its own so that the program stays responsive while a download runs.
class DownloadWorker {
 public:
  // Called on the worker's thread when a job has ended: true when the file is
  // in place.
  using Done = std::function<void(bool downloaded)>;

  DownloadWorker();
  ~DownloadWorker();  // stop()
  DownloadWorker(const DownloadWorker&) = delete;
  DownloadWorker& operator=(const DownloadWorker&) = delete;

  // A job without a request downloads nothing; its `done` still comes in turn.
  void post(std::optional<DownloadRequest> request, Done done);

  // Ends the running download at once (leaving no file), drops the jobs not yet
  // started and waits for the thread.
  void stop();

 private:
  struct Job {
    std::optional<DownloadRequest> request;
    Done done;
  };
  void run();

  FileDownloader downloader_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Job> jobs_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace harvel
