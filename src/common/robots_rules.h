#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace harvel {

// A site's robots.txt, as the rules that apply to one crawler: the groups
// whose user-agent line names our product token (in any case), or else the
// `*` groups; several groups for the same agent count as one. A path is
// refused when the longest Disallow pattern that matches it is longer than
// the longest Allow pattern that does (a tie is allowed). Patterns match from
// the path's start; `*` stands for any run of characters and a `$` at a
// pattern's end for the path's end. Before comparing, percent-encodings of
// unreserved characters are decoded, the rest written with upper-case hex
// digits, and bytes outside ASCII encoded, in patterns and paths alike.
// Matching costs time in proportion to the path and the patterns (no
// backtracking), whatever a hostile file holds.
class RobotsRules {
 public:
  // The most of a file that is read: the rest is passed over.
  static constexpr std::size_t kMostBytes = 500 * 1024;
  // Longer lines are passed over.
  static constexpr std::size_t kLongestLine = 4096;
  // A Crawl-delay above this counts as this many seconds.
  static constexpr double kLongestCrawlDelaySeconds = 60;

  // No rules: everything is allowed (no file, or one the server refused with 4xx).
  RobotsRules() = default;
  // The rules `text` holds for the crawler named `productToken` (such as
  // "VeskDownloader"); text beyond kMostBytes is left unread.
  static RobotsRules Parse(std::string_view text, std::string_view productToken);

  // Whether `path` (an URL's path and query, as written in the URL) may be fetched.
  bool allows(std::string_view path) const { return !refusingRule(path).has_value(); }
  // The rule that refuses `path` ("Disallow: /private/"); nullopt when allowed.
  std::optional<std::string> refusingRule(std::string_view path) const;

  // The group's Crawl-delay in seconds, bounded; nullopt when it names none.
  std::optional<double> crawlDelaySeconds() const { return crawlDelay_; }

 private:
  struct Rule {
    bool allow = false;
    std::string pattern;  // normalised
    std::string written;  // as the file wrote it, for people
  };
  std::vector<Rule> rules_;
  std::optional<double> crawlDelay_;
};

// The product token of a User-Agent: "VeskDownloader" for "VeskDownloader/1.0 (x)".
std::string RobotsProductToken(std::string_view userAgent);

// Where `url`'s robots.txt lies ("http://host:8080/robots.txt"): the same
// scheme and authority, without a login; nullopt when it names no host.
std::optional<std::string> RobotsUrlOf(std::string_view url);

// The path and query of `url` that robots.txt rules are matched against ("/"
// when it has none), without the fragment.
std::string RobotsPathOf(std::string_view url);

}  // namespace harvel
