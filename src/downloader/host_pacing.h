#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>

#include "common/host_manners.h"

namespace harvel {

// The state of every host the downloader fetches from, shared by all clients:
// the transfers running to it, when the last one started, a pause the server
// asked for (Retry-After), the least wait between two starts (raised for a
// host that asks for it, robots.txt's Crawl-delay), and holds that keep its
// transfers from starting (robots.txt being read first). It decides, it does
// not wait: the caller asks turn() and, when told to wait, asks again later.
// No event loop, no libcurl: a fake clock tests it.
class HostPacing {
 public:
  using Clock = std::chrono::steady_clock;
  using Now = std::function<Clock::time_point()>;
  // A factor from 0.5 to 1.5 for a random wait.
  using Spread = std::function<double()>;

  explicit HostPacing(Now now = Clock::now, Spread spread = {});

  struct Turn {
    enum class Kind {
      Now,         // may start
      At,          // not before `at`
      AfterAnEnd,  // `hostJobs` run already: when one ends
      Held,        // held: when released
      Refused,     // the server asked for a pause beyond the bound: fail at once
    };
    Kind kind = Kind::Now;
    Clock::time_point at;                // with At
    std::chrono::milliseconds asked{0};  // with Refused: the pause the server asked for
    std::chrono::milliseconds left{0};   // with Refused: what is left of it
  };
  // Whether a transfer to `host` may start now under `manners`.
  Turn turn(const std::string& host, const HostManners& manners) const;
  // A transfer to `host` starts (asked turn() first) and ends.
  void started(const std::string& host);
  void ended(const std::string& host);

  // The server of `host` asked for a pause of `pause`: no transfer starts there
  // before it has passed. A pause over `bound` refuses the host's transfers
  // instead, until it has passed; false then.
  bool pause(const std::string& host, std::chrono::milliseconds pause,
             std::chrono::milliseconds bound);

  // Raises the least wait between two starts at `host` to `least` (never lowers
  // it): for a host that asks for a slower pace, such as robots.txt's Crawl-delay.
  void raiseWait(const std::string& host, std::chrono::milliseconds least);
  // Keeps every transfer to `host` from starting until as many release()s:
  // for what must be done before the first request to a host (robots.txt).
  void hold(const std::string& host);
  void release(const std::string& host);

  // Transfers running to `host` now.
  int running(const std::string& host) const;

 private:
  struct Host {
    int running = 0;
    int holds = 0;
    bool started = false;
    Clock::time_point lastStart;
    double spread = 1.0;  // drawn at each start, for a random wait
    std::chrono::milliseconds leastWait{0};
    Clock::time_point pausedUntil;
    Clock::time_point refusedUntil;
    std::chrono::milliseconds refusedFor{0};
  };
  const Host* find(const std::string& host) const;

  Now now_;
  Spread spread_;
  std::map<std::string, Host> hosts_;
};

}  // namespace harvel
