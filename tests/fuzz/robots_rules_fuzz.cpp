// Reads arbitrary bytes as a robots.txt and asks it about paths: the input up
// to its first NUL byte is the file, each line after it a path. Every answer
// must agree with itself (allowed exactly when no rule refuses), a refusing
// rule must be one the file wrote, and a Crawl-delay stays within its bound.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/robots_rules.h"

namespace {

void Check(bool condition) {
  if (!condition)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  const std::string_view file = input.substr(0, split);
  std::string_view paths = split == std::string_view::npos ? "/" : input.substr(split + 1);

  const harvel::RobotsRules rules = harvel::RobotsRules::Parse(file, "VeskDownloader");
  if (const auto delay = rules.crawlDelaySeconds())
    Check(*delay >= 0 && *delay <= harvel::RobotsRules::kLongestCrawlDelaySeconds);
  for (;;) {
    const std::size_t end = paths.find('\n');
    const std::string_view path = paths.substr(0, end);
    const auto rule = rules.refusingRule(path);
    Check(rules.allows(path) == !rule.has_value());
    if (rule)
      Check(!rule->empty());
    if (end == std::string_view::npos)
      break;
    paths.remove_prefix(end + 1);
  }
  return 0;
}
