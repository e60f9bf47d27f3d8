#include "downloader/download_queue.h"

#include <algorithm>
#include <utility>

#include "downloader/failure_reason.h"

namespace harvel {

DownloadQueue::DownloadQueue(DownloadLimits limits, HostQueue& hosts)
    : limits_(limits), hosts_(hosts), loop_([this](CURL*, int result) { finished(result); }) {
  downloader_.setSpeedLimit(limits_.speed);
  hosts_.addWaker(this, [this] { startNext(); });
}

DownloadQueue::~DownloadQueue() {
  stop();
  hosts_.removeWaker(this);
}

void DownloadQueue::post(std::optional<FileRequest> request, Done done,
                         std::shared_ptr<const ConnectionSetup> connection) {
  if (stopped_)
    return;
  jobs_.push_back(Job{std::move(request), std::move(done), std::move(connection), 0, {}, false});
  startNext();
}

void DownloadQueue::stop() {
  stopped_ = true;
  jobs_.clear();
  if (running_) {
    loop_.stop(downloader_.handle());
    downloader_.abandon();
    leaveHost();
    running_.reset();
  }
}

std::optional<DownloadQueue::Job> DownloadQueue::takeReady() {
  for (auto job = jobs_.begin(); job != jobs_.end(); ++job) {
    if (job->request) {
      const auto kind = hosts_.turn(job->request->url, job->connection).kind;
      if (kind != HostPacing::Turn::Kind::Now && kind != HostPacing::Turn::Kind::Refused)
        continue;  // the host queue wakes the queue when it may go on
    }
    Job ready = std::move(*job);
    jobs_.erase(job);
    return ready;
  }
  return std::nullopt;
}

void DownloadQueue::startNext() {
  // A download that ends at once is finished from inside loop_.start(): the
  // loop below, already at work, goes on with the next job.
  if (starting_)
    return;
  starting_ = true;
  while (!running_ && !stopped_) {
    running_ = takeReady();
    if (!running_)
      break;
    if (!running_->started)
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
  const std::string& url = running_->request->url;
  const HostPacing::Turn turn = hosts_.turn(url, running_->connection);
  if (turn.kind == HostPacing::Turn::Kind::Refused) {
    answer(PausedTooLongNotice(HostQueue::HostOf(url), turn.asked, turn.left,
                               limits_.longestRetryPause));
    return;
  }
  if (!downloader_.begin(*running_->request, running_->connection)) {
    answer(downloader_.failure());
    return;
  }
  hosts_.started(url);
  running_->contacted = true;
  if (!loop_.start(downloader_.handle())) {
    downloader_.abandon();
    leaveHost();
    answer(FailedNotice(failure::kOther, "libcurl refused the transfer"));
    return;
  }
  if (!running_)
    return;  // ended already
  // The file is made while the server answers.
  if (!downloader_.createFile()) {
    loop_.stop(downloader_.handle());
    const DownloadNotice failed = downloader_.failure();
    downloader_.abandon();
    leaveHost();
    answer(failed);
  }
}

void DownloadQueue::leaveHost() {
  if (running_ && running_->contacted) {
    running_->contacted = false;
    hosts_.ended(running_->request->url);
  }
}

std::chrono::milliseconds DownloadQueue::pauseBeforeRetry() const {
  if (const auto asked = downloader_.retryAfter())
    return *asked;
  return limits_.retryPause;
}

void DownloadQueue::finished(int result) {
  if (!running_)
    return;
  DownloadNotice notice = downloader_.finish(result);
  leaveHost();
  if (IsPassingFailure(notice)) {
    // The pause is its host's: the host's other downloads wait too, other hosts' go on.
    const auto pause = pauseBeforeRetry();
    const std::string url = running_->request->url;
    loop_.stop(downloader_.handle());
    if (!hosts_.pause(url, pause, limits_.longestRetryPause)) {
      // Longer than is waited for: failed with the server's answer and the pause it asked for.
      const DownloadNotice paused =
          PausedTooLongNotice(HostQueue::HostOf(url), pause, pause, limits_.longestRetryPause);
      notice.reason = paused.reason;
      notice.reasonText = paused.reasonText;
    } else if (running_->retries < limits_.retries) {
      ++running_->retries;
      jobs_.push_front(std::move(*running_));
      running_.reset();
      startNext();
      return;
    }
    answer(std::move(notice));
    startNext();
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
  notice.elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                         Clock::now() - job.started.value_or(Clock::now()))
                         .count();
  job.done(std::move(notice));
}

}  // namespace harvel
