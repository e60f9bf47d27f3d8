#pragma once

#include <QTimer>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "downloader/connection_setup.h"
#include "downloader/curl_event_loop.h"
#include "downloader/download_limits.h"
#include "downloader/robots_fetch.h"

namespace harvel {

// Asks each site's robots.txt before a client's requests go there: read once
// per client and host (scheme, host and port) before the first request, and
// again after the client's next settings (its next crawl). Meanwhile that
// host's requests wait; other hosts' do not. A robots.txt that cannot be had
// for a passing reason (5xx, a time-out, no connection) is read again after
// the retry pause, as often as a download is tried again; after that every
// URL of the host is refused for the rest of the crawl. A host whose group
// names a Crawl-delay has the client's requests let through no sooner than
// that long after one another.
class RobotsGate {
 public:
  using Client = const void*;
  // nullopt: go ahead; else why the URL is refused.
  using Verdict = std::function<void(std::optional<std::string> refusal)>;

  explicit RobotsGate(DownloadLimits limits = {});
  ~RobotsGate();
  RobotsGate(const RobotsGate&) = delete;
  RobotsGate& operator=(const RobotsGate&) = delete;

  // Calls `verdict` once for `url`, at once or when its host's robots.txt
  // has been read (and its Crawl-delay has passed). A URL without a host of
  // http or https goes ahead at once.
  void check(Client client, const std::string& url,
             std::shared_ptr<const ConnectionSetup> connection, Verdict verdict);
  // The client starts a new crawl: hosts already read are read again.
  void restart(Client client);
  // The client has gone: its waiting URLs are never answered.
  void dropClient(Client client);

 private:
  using Clock = std::chrono::steady_clock;
  struct Waiting {
    std::string path;
    Verdict verdict;
  };
  struct Host {
    std::string robotsUrl;
    std::shared_ptr<const ConnectionSetup> connection;  // of the request that found it
    std::unique_ptr<RobotsFetch> fetch;                 // while it is read
    bool read = false;
    int tries = 0;
    RobotsRules rules;
    std::string unreadable;  // why every URL is refused, when it could not be read
    std::optional<Clock::duration> delay;
    Clock::time_point nextStart{};
    std::deque<Waiting> waiting;
    QTimer timer;  // the next try, or the end of the Crawl-delay
  };
  using Hosts = std::map<std::string, std::unique_ptr<Host>>;

  void startReading(Host& host);
  void finished(CURL* easy, int result);
  // Answers the host's waiting URLs whose turn it is.
  void release(Host& host);
  void endReading(Host& host);

  DownloadLimits limits_;
  CurlEventLoop loop_;
  std::map<Client, Hosts> clients_;
  std::map<CURL*, Host*> reading_;
};

}  // namespace harvel
