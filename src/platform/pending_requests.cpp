#include "platform/pending_requests.h"

#include <charconv>
#include <limits>
#include <utility>

#include "common/number_text.h"

namespace harvel {
namespace {

// A request is sent again at most this often. Twice, not once: the first
// reconnection may still reach a downloader that is dying (its socket accepts
// until the process is gone), and then the next attempt starts a new one.
constexpr int kMaxResends = 2;

}  // namespace

void PendingRequests::add(FileRequest request, std::weak_ptr<Mailbox> mailbox) {
  requests_.push_back(Pending{std::move(request), std::move(mailbox)});
}

bool PendingRequests::answer(const DownloadNotice& notice) {
  if (requests_.empty())
    return false;
  const Pending done = std::move(requests_.front());
  requests_.pop_front();
  const std::string text = countText(notice.count);
  if (auto box = done.mailbox.lock()) {
    box->outcome = static_cast<const DownloadOutcome&>(notice);
    box->text = text;
  }
  return true;
}

std::string PendingRequests::countText(const std::string& notice) {
  std::int64_t count = 0;
  const auto [end, error] = std::from_chars(notice.data(), notice.data() + notice.size(), count);
  if (error != std::errc() || end != notice.data() + notice.size() || count < 0)
    return notice;
  if (count <= std::numeric_limits<std::int64_t>::max() - countOffset_)
    count += countOffset_;
  lastCountWritten_ = count;
  return DecimalText(count);
}

bool PendingRequests::resendAll(const std::function<bool(const FileRequest&)>& send) {
  if (lastCountWritten_ >= 0)
    countOffset_ = lastCountWritten_ + 1;
  for (auto& pending : requests_) {
    if (pending.resends >= kMaxResends || !send(pending.request))
      return false;
    ++pending.resends;
  }
  return true;
}

void PendingRequests::failAll(const std::string& message) {
  for (const auto& pending : requests_) {
    if (auto box = pending.mailbox.lock())
      box->channelError = message;
  }
  requests_.clear();
}

}  // namespace harvel
