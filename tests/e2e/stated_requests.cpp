#include "stated_requests.h"

#include <algorithm>
#include <stdexcept>

namespace harvel::test {
namespace {

bool Satisfies(const ReceivedRequest& request, const StatedRequest& stated) {
  if (request.method != stated.method || request.target != stated.target)
    return false;
  return std::all_of(stated.headers.begin(), stated.headers.end(), [&](const auto& header) {
    const auto [name, value] = header;
    const auto found = request.headers.find(name);  // names match in any case
    return value.empty() ? found == request.headers.end()
                         : found != request.headers.end() && found->second == value;
  });
}

std::string Shown(const ReceivedRequest& request) {
  std::string text = request.method + " " + request.target + "\n";
  for (const auto& [name, value] : request.headers) {
    // The server's own notes on the connection, not sent by the client.
    if (!name.starts_with("LOCAL_") && !name.starts_with("REMOTE_"))
      text += "  " + name + ": " + value + "\n";
  }
  return text;
}

std::string Shown(const StatedRequest& stated) {
  std::string text = stated.method + " " + stated.target + "\n";
  for (const auto& [name, value] : stated.headers)
    text += "  " + name + ":" + (value.empty() ? " (absent)" : " " + value) + "\n";
  return text;
}

}  // namespace

void RequestLog::listenTo(httplib::Server& server) {
  server.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
    const std::lock_guard lock(mutex_);
    received_.push_back({request.method, request.target, request.headers});
    return httplib::Server::HandlerResponse::Unhandled;
  });
}

std::vector<ReceivedRequest> RequestLog::received() {
  const std::lock_guard lock(mutex_);
  return received_;
}

void RequestLog::clear() {
  const std::lock_guard lock(mutex_);
  received_.clear();
}

std::vector<StatedRequest> ParseStatedRequests(const std::vector<std::string>& lines) {
  std::vector<StatedRequest> stated;
  for (const std::string& line : lines) {
    if (line.starts_with('#'))
      continue;
    if (line.starts_with(' ')) {
      const std::size_t start = line.find_first_not_of(' ');
      const std::size_t colon = line.find(':');
      if (stated.empty() || colon == std::string::npos || colon < start)
        throw std::runtime_error("not a header under a request: " + line);
      const std::size_t value = line.find_first_not_of(' ', colon + 1);
      stated.back().headers.emplace_back(line.substr(start, colon - start),
                                         value == std::string::npos ? "" : line.substr(value));
      continue;
    }
    const std::size_t space = line.find(' ');
    if (space == std::string::npos || space == 0 || space + 1 == line.size())
      throw std::runtime_error("not \"METHOD TARGET\": " + line);
    stated.push_back({line.substr(0, space), line.substr(space + 1), {}});
  }
  return stated;
}

std::string RequestDifferences(const std::vector<StatedRequest>& stated,
                               const std::vector<ReceivedRequest>& received) {
  // The requests that state most headers choose first, so that a plain one
  // does not take the request a stricter one needs.
  std::vector<const StatedRequest*> order;
  for (const StatedRequest& request : stated)
    order.push_back(&request);
  std::stable_sort(order.begin(), order.end(), [](const auto* a, const auto* b) {
    return a->headers.size() > b->headers.size();
  });
  std::vector<bool> used(received.size(), false);
  std::string missing;
  for (const StatedRequest* request : order) {
    std::size_t i = 0;
    while (i < received.size() && (used[i] || !Satisfies(received[i], *request)))
      ++i;
    if (i == received.size())
      missing += Shown(*request);
    else
      used[i] = true;
  }
  std::string unexpected;
  for (std::size_t i = 0; i < received.size(); ++i) {
    if (!used[i])
      unexpected += Shown(received[i]);
  }
  if (missing.empty() && unexpected.empty())
    return "";
  return "stated but not received:\n" + missing + "received but not stated:\n" + unexpected;
}

}  // namespace harvel::test
