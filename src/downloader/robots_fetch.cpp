#include "downloader/robots_fetch.h"

#include <curl/curl.h>

#include "common/connection_settings.h"
#include "downloader/failure_reason.h"

namespace harvel {
namespace {

// What a site may ask of a crawler before it reaches its robots.txt.
constexpr long kMostRedirects = 5;
constexpr long kConnectTimeoutSeconds = 30;

}  // namespace

RobotsFetch::RobotsFetch(const std::string& robotsUrl,
                         std::shared_ptr<const ConnectionSetup> connection,
                         std::chrono::milliseconds timeLimit)
    : easy_(curl_easy_init()), connection_(std::move(connection)) {
  const std::string userAgent = connection_ && !connection_->order().userAgent.empty()
                                    ? connection_->order().userAgent
                                    : std::string(kDefaultUserAgent);
  productToken_ = RobotsProductToken(userAgent);
  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy_, CURLOPT_URL, robotsUrl.c_str());
  curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, kMostRedirects);
  curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  curl_easy_setopt(easy_, CURLOPT_TIMEOUT_MS, static_cast<long>(timeLimit.count()));
  curl_easy_setopt(easy_, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorText_);
  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &RobotsFetch::writeBody);
  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(easy_, CURLOPT_PREREQFUNCTION, &RobotsFetch::beforeRequest);
  curl_easy_setopt(easy_, CURLOPT_PREREQDATA, this);
  ConnectionSetup::Attach(connection_.get(), easy_);
  ConnectionSetup::Apply(connection_.get(), easy_, robotsUrl);
}

RobotsFetch::~RobotsFetch() {
  curl_easy_cleanup(easy_);
}

int RobotsFetch::beforeRequest(void* self, char*, char*, int, int) {
  auto& fetch = *static_cast<RobotsFetch*>(self);
  const char* url = nullptr;
  curl_easy_getinfo(fetch.easy_, CURLINFO_EFFECTIVE_URL, &url);
  curl_easy_setopt(fetch.easy_, CURLOPT_HTTPHEADER,
                   ConnectionSetup::BeforeRequest(fetch.connection_.get(), fetch.easy_, url));
  return CURL_PREREQFUNC_OK;
}

size_t RobotsFetch::writeBody(char* data, size_t size, size_t count, void* self) {
  auto& fetch = *static_cast<RobotsFetch*>(self);
  const size_t total = size * count;
  const size_t room = RobotsRules::kMostBytes - fetch.body_.size();
  fetch.body_.append(data, std::min(total, room));
  if (total < room)
    return total;
  fetch.full_ = true;  // the rest is never read: the transfer ends here
  return 0;
}

RobotsFetch::Answer RobotsFetch::finish(int result) const {
  long status = 0;
  curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
  Answer answer;
  if (result == CURLE_TOO_MANY_REDIRECTS) {
    answer.why = "robots.txt: too many redirects";
    return answer;
  }
  const bool whole = result == CURLE_OK || (result == CURLE_WRITE_ERROR && full_);
  if (!whole && !(status >= 400 && status < 500)) {
    answer.kind = Answer::Kind::Unreachable;
    answer.why =
        status >= 500
            ? "robots.txt: HTTP " + std::to_string(status)
            : "robots.txt: " + ReasonText(TransferFailureReason(result, errorText_), errorText_);
    return answer;
  }
  if (status >= 500) {
    answer.kind = Answer::Kind::Unreachable;
    answer.why = "robots.txt: HTTP " + std::to_string(status);
  } else if (status >= 400) {
    answer.why = "robots.txt: HTTP " + std::to_string(status);
  } else if (status >= 200 && status < 300) {
    answer.kind = Answer::Kind::Rules;
    answer.rules = RobotsRules::Parse(body_, productToken_);
  } else {
    answer.why = "robots.txt: HTTP " + std::to_string(status);
  }
  return answer;
}

}  // namespace harvel
