#include "downloader/download_queue.h"

#include <utility>

namespace harvel {

DownloadQueue::DownloadQueue() : loop_([this](CURL*, int result) { finished(result); }) {}

DownloadQueue::~DownloadQueue() {
  stop();
}

void DownloadQueue::post(std::optional<DownloadRequest> request, Done done) {
  if (stopped_)
    return;
  jobs_.push_back(Job{std::move(request), std::move(done)});
  startNext();
}

void DownloadQueue::stop() {
  stopped_ = true;
  jobs_.clear();
  if (running_) {
    loop_.stop(downloader_.handle());
    downloader_.abandon();
    running_.reset();
  }
}

void DownloadQueue::startNext() {
  while (!running_ && !stopped_ && !jobs_.empty()) {
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    if (job.request && downloader_.begin(*job.request)) {
      if (loop_.start(downloader_.handle())) {
        running_ = std::move(job);
        return;
      }
      downloader_.abandon();
    }
    job.done(false);  // nothing to download: answered in turn all the same
  }
}

void DownloadQueue::finished(int result) {
  if (!running_)
    return;
  loop_.stop(downloader_.handle());
  const bool downloaded = downloader_.finish(result);
  Job job = std::move(*running_);
  running_.reset();
  job.done(downloaded);
  startNext();
}

}  // namespace harvel
