#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "common/robots_rules.h"
#include "downloader/connection_setup.h"

typedef void CURL;

namespace harvel {

// One read of a site's robots.txt with libcurl, its transfer run by the
// caller's CurlEventLoop. At most RobotsRules::kMostBytes of the body are
// taken (the rest is not read), at most five redirects are followed, and the
// whole read is given up after `timeLimit`, so a server that trickles its
// answer costs no more than that. The request goes out with the client's
// connection settings (its User-Agent, cookies, headers, proxy, CA file).
class RobotsFetch {
 public:
  // How the read ended: rules to follow; none (the server has no robots.txt
  // for us: 4xx, or too many redirects); or "try again later" (5xx, a
  // time-out, no connection), with the reason for people.
  struct Answer {
    enum class Kind { Rules, NoRules, Unreachable } kind = Kind::NoRules;
    RobotsRules rules;
    std::string why;
  };

  RobotsFetch(const std::string& robotsUrl, std::shared_ptr<const ConnectionSetup> connection,
              std::chrono::milliseconds timeLimit);
  ~RobotsFetch();
  RobotsFetch(const RobotsFetch&) = delete;
  RobotsFetch& operator=(const RobotsFetch&) = delete;

  CURL* handle() const { return easy_; }
  // The transfer ended with `result` (a CURLcode).
  Answer finish(int result) const;

 private:
  static size_t writeBody(char* data, size_t size, size_t count, void* self);
  static int beforeRequest(void* self, char*, char*, int, int);

  CURL* easy_;
  std::shared_ptr<const ConnectionSetup> connection_;
  std::string productToken_;
  std::string body_;
  bool full_ = false;  // the body reached the most that is read
  char errorText_[256] = {};
};

}  // namespace harvel
