#include "downloader/host_queue.h"

#include <vector>

#include "common/url_parts.h"

namespace harvel {

HostQueue::HostQueue(HostPacing::Now now, HostPacing::Spread spread)
    : now_(now), pacing_(std::move(now), std::move(spread)) {
  timer_.setSingleShot(true);
  // A coarse timer may fire a little early: a turn asked then would wait again.
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, [this] { wake(); });
}

std::string HostQueue::HostOf(const std::string& url) {
  // libcurl takes a URL without a scheme for http.
  const std::string absolute = UrlScheme(url).empty() ? "http://" + url : url;
  return UrlHost(absolute).value_or(std::string());
}

HostManners HostQueue::MannersOf(const ConnectionSetup* connection) {
  return connection == nullptr ? HostManners{} : connection->order().manners;
}

bool HostQueue::firstContact(const std::string& host,
                             const std::shared_ptr<const ConnectionSetup>& connection) {
  const auto key = std::make_pair(host, connection.get());
  const auto found = contacted_.find(key);
  // The address of settings that are gone may be another's by now.
  if (found != contacted_.end() && (!connection || !found->second.expired()))
    return false;
  // Settings that are gone (their crawls ended) are forgotten now and then.
  if (contacted_.size() >= sweepAt_) {
    std::erase_if(contacted_, [](const auto& entry) {
      return entry.first.second != nullptr && entry.second.expired();
    });
    sweepAt_ = 2 * contacted_.size() + 64;
  }
  contacted_[key] = connection;
  return true;
}

HostPacing::Turn HostQueue::turn(const std::string& url,
                                 const std::shared_ptr<const ConnectionSetup>& connection) {
  const std::string host = HostOf(url);
  if (firstContact_ && firstContact(host, connection))
    firstContact_(host, connection);
  HostPacing::Turn turn = pacing_.turn(host, MannersOf(connection.get()));
  if (turn.kind == HostPacing::Turn::Kind::At)
    wakeAt(turn.at);
  else if (turn.kind != HostPacing::Turn::Kind::Now && turn.kind != HostPacing::Turn::Kind::Refused)
    waiting_ = true;
  return turn;
}

void HostQueue::started(const std::string& url) {
  pacing_.started(HostOf(url));
}

void HostQueue::ended(const std::string& url) {
  pacing_.ended(HostOf(url));
  if (waiting_)
    wakeSoon();
}

bool HostQueue::pause(const std::string& url, std::chrono::milliseconds pause,
                      std::chrono::milliseconds bound) {
  return pacing_.pause(HostOf(url), pause, bound);
}

void HostQueue::release(const std::string& host) {
  pacing_.release(host);
  if (waiting_)
    wakeSoon();
}

void HostQueue::addWaker(const void* owner, std::function<void()> wake) {
  wakers_[owner] = std::move(wake);
}

void HostQueue::removeWaker(const void* owner) {
  wakers_.erase(owner);
}

void HostQueue::wakeAt(HostPacing::Clock::time_point at) {
  if (due_ && *due_ <= at && timer_.isActive())
    return;
  due_ = at;
  const auto delay = std::chrono::ceil<std::chrono::milliseconds>(at - now_());
  timer_.start(std::max(std::chrono::milliseconds(0), delay));
}

void HostQueue::wakeSoon() {
  wakeAt(now_());
}

void HostQueue::wake() {
  due_.reset();
  waiting_ = false;
  // A waker may add or remove wakers: each is looked up again before it is called.
  std::vector<const void*> owners;
  for (const auto& [owner, wake] : wakers_)
    owners.push_back(owner);
  for (const void* owner : owners) {
    const auto found = wakers_.find(owner);
    if (found != wakers_.end()) {
      const std::function<void()> wake = found->second;
      wake();
    }
  }
}

}  // namespace harvel
