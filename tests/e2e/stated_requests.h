#pragma once

#include <httplib.h>

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace harvel::test {

// One request as a server received it: method, target (path and query as
// sent) and headers.
struct ReceivedRequest {
  std::string method;
  std::string target;
  httplib::Headers headers;
};

// Every request a server receives, in the order they arrive.
class RequestLog {
 public:
  // Records each request `server` receives before it is routed.
  void listenTo(httplib::Server& server);
  std::vector<ReceivedRequest> received();
  void clear();

 private:
  std::mutex mutex_;
  std::vector<ReceivedRequest> received_;  // guarded by mutex_
};

// A request a case states: "METHOD TARGET" and, on the lines below it that
// start with a space, "Name: value" headers it must carry ("Name:" alone: a
// header it must not carry). Headers not named are not checked.
struct StatedRequest {
  std::string method;
  std::string target;
  std::vector<std::pair<std::string, std::string>> headers;  // value "" for must be absent
};

// The requests of a case's `requests` file, one blank-free line each; lines
// starting with '#' are comments. Throws std::runtime_error for a line that is
// neither a request nor a header.
std::vector<StatedRequest> ParseStatedRequests(const std::vector<std::string>& lines);

// What differs between the requests stated and those received, as lines for
// a failure message; empty when every stated request was received and
// nothing else, counting repeats, in any order.
std::string RequestDifferences(const std::vector<StatedRequest>& stated,
                               const std::vector<ReceivedRequest>& received);

}  // namespace harvel::test
