#include "downloader/download_queue.h"

#include <algorithm>
#include <utility>

#include "downloader/failure_reason.h"

namespace harvel {

DownloadQueue::DownloadQueue(DownloadLimits limits)
    : limits_(limits), loop_([this](CURL*, int result) { finished(result); }) {
  downloader_.setSpeedLimit(limits_.speed);
  downloader_.setResumeThreshold(limits_.resumeThreshold);
  retryTimer_.setSingleShot(true);
  QObject::connect(&retryTimer_, &QTimer::timeout, [this] { retry(); });
}

DownloadQueue::~DownloadQueue() {
  stop();
}

void DownloadQueue::post(std::optional<FileRequest> request, Done done,
                         std::shared_ptr<const ConnectionSetup> connection) {
  if (stopped_)
    return;
  jobs_.push_back(Job{std::move(request), std::move(done), std::move(connection), 0, {}});
  startNext();
}

void DownloadQueue::stop() {
  stopped_ = true;
  jobs_.clear();
  retryTimer_.stop();
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
    running_->started = Clock::now();
    begin();
  }
  starting_ = false;
}

// Starts the running job's transfer; a job that cannot start is answered at once.
void DownloadQueue::begin() {
  if (!running_->request) {
    answer(FailedNotice(failure::kBadRequest, "the request names no URL or no file"));
    return;
  }
  if (!downloader_.begin(*running_->request, running_->connection)) {
    answer(downloader_.failure());
    return;
  }
  transfer();
}

void DownloadQueue::transfer() {
  if (!loop_.start(downloader_.handle())) {
    downloader_.abandon();
    answer(FailedNotice(failure::kOther, "libcurl refused the transfer"));
    return;
  }
  if (!running_ || retryTimer_.isActive())
    return;  // ended already
  // The file is made while the server answers.
  if (!downloader_.createFile()) {
    loop_.stop(downloader_.handle());
    const DownloadNotice failed = downloader_.failure();
    downloader_.abandon();
    answer(failed);
  }
}

void DownloadQueue::retry() {
  if (!running_ || stopped_)
    return;
  starting_ = true;
  begin();
  starting_ = false;
  startNext();
}

std::chrono::milliseconds DownloadQueue::pauseBeforeRetry() const {
  if (const auto asked = downloader_.retryAfter()) {
    return std::min<std::chrono::milliseconds>(*asked, limits_.longestRetryPause);
  }
  return limits_.retryPause;
}

void DownloadQueue::finished(int result) {
  if (!running_)
    return;
  if (downloader_.restartFromZero()) {  // the same request, from the first byte
    loop_.stop(downloader_.handle());
    starting_ = true;
    transfer();
    starting_ = false;
    startNext();
    return;
  }
  DownloadNotice notice = downloader_.finish(result);
  if (IsPassingFailure(notice) && running_->retries < limits_.retries) {
    ++running_->retries;
    const auto pause = pauseBeforeRetry();
    loop_.stop(downloader_.handle());
    retryTimer_.start(pause);
    return;
  }
  answer(std::move(notice));
  // libcurl's own clean-up after the notice, which waits for nothing of it.
  loop_.stop(downloader_.handle());
  startNext();
}

void DownloadQueue::answer(DownloadNotice notice) {
  Job job = std::move(*running_);
  running_.reset();
  notice.elapsedMs =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - job.started).count();
  job.done(std::move(notice));
}

}  // namespace harvel
