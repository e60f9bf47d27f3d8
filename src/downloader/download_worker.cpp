#include "downloader/download_worker.h"

namespace harvel {

DownloadWorker::DownloadWorker() : thread_([this] { run(); }) {}

DownloadWorker::~DownloadWorker() {
  stop();
}

void DownloadWorker::post(std::optional<DownloadRequest> request, Done done) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_)
      return;
    jobs_.push_back(Job{std::move(request), std::move(done)});
  }
  wake_.notify_one();
}

void DownloadWorker::stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    jobs_.clear();
  }
  downloader_.interrupt();
  wake_.notify_one();
  if (thread_.joinable())
    thread_.join();
}

void DownloadWorker::run() {
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
      if (stopping_)
        return;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    const bool downloaded = job.request && downloader_.download(*job.request);
    {
      std::lock_guard lock(mutex_);
      if (stopping_)
        return;  // closing: nobody is answered any more
    }
    job.done(downloaded);
  }
}

}  // namespace harvel
