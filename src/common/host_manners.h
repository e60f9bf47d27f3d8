#pragma once

#include <chrono>

namespace harvel {

// How a crawl's downloads treat each host they fetch from. The built-in
// manners are those of a crawl without them: no limit of their own, no wait.
struct HostManners {
  int hostJobs = 0;                   // transfers at once to one host; 0: the crawl's jobs
  std::chrono::milliseconds wait{0};  // between the starts of two requests to one host
  bool randomWait = false;            // each wait drawn from 0.5 to 1.5 times `wait`

  static constexpr int kMostHostJobs = 16;
  // The longest wait a crawl may ask for between two requests to one host.
  static constexpr std::chrono::milliseconds kLongestWait{std::chrono::minutes(10)};

  bool builtIn() const { return *this == HostManners{}; }
  bool operator==(const HostManners&) const = default;
};

}  // namespace harvel
