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
  // A download that ends at once is finished from inside loop_.start(): the
  // loop below, already at work, goes on with the next job.
  if (starting_)
    return;
  starting_ = true;
  while (!running_ && !stopped_ && !jobs_.empty()) {
    running_ = std::move(jobs_.front());
    jobs_.pop_front();
    if (running_->request && downloader_.begin(*running_->request)) {
      if (!loop_.start(downloader_.handle())) {
        downloader_.abandon();
      } else if (!running_ || downloader_.createFile()) {
        continue;  // finished already, or running with its file made while the server answers
      } else {
        loop_.stop(downloader_.handle());
        downloader_.abandon();
      }
    }
    Job job = std::move(*running_);
    running_.reset();
    job.done(false);  // nothing to download: answered in turn all the same
  }
  starting_ = false;
}

void DownloadQueue::finished(int result) {
  if (!running_)
    return;
  const bool downloaded = downloader_.finish(result);
  Job job = std::move(*running_);
  running_.reset();
  job.done(downloaded);
  // libcurl's own clean-up after the notice, which waits for nothing of it.
  loop_.stop(downloader_.handle());
  startNext();
}

}  // namespace harvel
