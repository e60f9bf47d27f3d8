#pragma once

#include <QTimer>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "downloader/connection_setup.h"
#include "downloader/host_pacing.h"

namespace harvel {

// The downloader's one HostPacing, shared by the ordinary downloads and the
// staged ones, with the event loop's timer that tells the transfers kept
// waiting when to ask for their turn again: at the time a wait or a pause
// ends, or once a transfer to a host has ended or a held host is released.
// A transfer goes to the host of its URL (redirects count for the host first
// asked) under the manners of its client's connection settings.
//
// What reads robots.txt uses four calls: setFirstContact() (told before the
// first transfer of each crawl's settings to each host is given its turn; the
// hook may hold() the host there and then), release() once it has read what it
// needed, and raiseWait() for a Crawl-delay.
class HostQueue {
 public:
  explicit HostQueue(HostPacing::Now now = HostPacing::Clock::now, HostPacing::Spread spread = {});
  HostQueue(const HostQueue&) = delete;
  HostQueue& operator=(const HostQueue&) = delete;

  // The host a transfer of `url` goes to ("" when the URL names none).
  static std::string HostOf(const std::string& url);
  // The manners of a client's settings; null (no settings): the built-in ones.
  static HostManners MannersOf(const ConnectionSetup* connection);

  // Whether a transfer of `url` for a client with `connection` may start now.
  // When it may not, every waker is called once it may have changed.
  HostPacing::Turn turn(const std::string& url,
                        const std::shared_ptr<const ConnectionSetup>& connection);
  void started(const std::string& url);
  void ended(const std::string& url);
  // The server of `url` asked for a pause (Retry-After); false when it is
  // longer than `bound`: the host's transfers are then refused until it passes.
  bool pause(const std::string& url, std::chrono::milliseconds pause,
             std::chrono::milliseconds bound);

  // `host` is contacted for the first time by a client with `connection`.
  using FirstContact = std::function<void(
      const std::string& host, const std::shared_ptr<const ConnectionSetup>& connection)>;
  void setFirstContact(FirstContact hook) { firstContact_ = std::move(hook); }
  HostPacing& pacing() { return pacing_; }
  // Keeps every transfer to `host` from starting until release() (as many
  // times as held), and lets it go on.
  void hold(const std::string& host) { pacing_.hold(host); }
  void release(const std::string& host);
  // The least wait between two starts at `host`, raised to `least`: robots.txt's Crawl-delay.
  void raiseWait(const std::string& host, std::chrono::milliseconds least) {
    pacing_.raiseWait(host, least);
  }

  // `wake` is called when transfers kept waiting may have their turn; `owner`
  // names it for removeWaker().
  void addWaker(const void* owner, std::function<void()> wake);
  void removeWaker(const void* owner);

 private:
  void wakeAt(HostPacing::Clock::time_point at);
  void wakeSoon();
  void wake();
  bool firstContact(const std::string& host,
                    const std::shared_ptr<const ConnectionSetup>& connection);

  HostPacing::Now now_;
  HostPacing pacing_;
  QTimer timer_;
  std::optional<HostPacing::Clock::time_point> due_;
  bool waiting_ = false;  // a turn was refused since the last wake
  std::map<const void*, std::function<void()>> wakers_;
  FirstContact firstContact_;
  std::map<std::pair<std::string, const ConnectionSetup*>, std::weak_ptr<const ConnectionSetup>>
      contacted_;
  std::size_t sweepAt_ = 64;
};

}  // namespace harvel
