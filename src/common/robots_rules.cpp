#include "common/robots_rules.h"

#include <algorithm>
#include <charconv>

#include "common/ascii_text.h"
#include "common/url_parts.h"

namespace harvel {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  const char upper = AsciiUpper(c);
  return upper >= 'A' && upper <= 'F' ? upper - 'A' + 10 : -1;
}

bool Unreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

void AppendEncoded(std::string& out, unsigned char c) {
  out += '%';
  out += kHexDigits[c >> 4];
  out += kHexDigits[c & 0xf];
}

// One spelling for each path: unreserved characters decoded, other
// encodings in upper-case hex, bytes outside printable ASCII encoded. In a
// path (not a pattern) `*` and `$` are plain characters and are encoded, so
// that they never act as a pattern's wildcard and end.
std::string Normalised(std::string_view text, bool pattern) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      const auto decoded =
          static_cast<unsigned char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      if (Unreserved(decoded))
        out += static_cast<char>(decoded);
      else
        AppendEncoded(out, decoded);
      i += 2;
    } else if (c <= 0x20 || c >= 0x7f || (!pattern && (c == '*' || c == '$'))) {
      AppendEncoded(out, c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// The first place at or after `from` where `word` lies in `text`, found in
// time in proportion to both (Knuth-Morris-Pratt); npos when nowhere.
std::size_t FindFrom(std::string_view text, std::string_view word, std::size_t from) {
  if (word.empty())
    return from;
  std::vector<std::size_t> border(word.size(), 0);
  for (std::size_t i = 1, k = 0; i < word.size(); ++i) {
    while (k > 0 && word[i] != word[k])
      k = border[k - 1];
    if (word[i] == word[k])
      ++k;
    border[i] = k;
  }
  for (std::size_t i = from, k = 0; i < text.size(); ++i) {
    while (k > 0 && text[i] != word[k])
      k = border[k - 1];
    if (text[i] == word[k])
      ++k;
    if (k == word.size())
      return i + 1 - word.size();
  }
  return std::string_view::npos;
}

// Whether `pattern` matches the start of `path` (both normalised). Runs of
// `*` are taken leftmost, which is right for patterns whose only wildcard is
// `*`: a later piece can always be found after an earlier one's first place.
bool Matches(std::string_view pattern, std::string_view path) {
  const bool toEnd = !pattern.empty() && pattern.back() == '$';
  if (toEnd)
    pattern.remove_suffix(1);
  std::vector<std::string_view> pieces;
  for (std::size_t start = 0;;) {
    const std::size_t star = pattern.find('*', start);
    pieces.push_back(pattern.substr(start, star == std::string_view::npos ? star : star - start));
    if (star == std::string_view::npos)
      break;
    start = star + 1;
  }
  if (path.substr(0, pieces.front().size()) != pieces.front())
    return false;
  std::size_t at = pieces.front().size();
  if (pieces.size() == 1)
    return !toEnd || at == path.size();
  const std::size_t middle = toEnd ? pieces.size() - 1 : pieces.size();
  for (std::size_t i = 1; i < middle; ++i) {
    at = FindFrom(path, pieces[i], at);
    if (at == std::string_view::npos)
      return false;
    at += pieces[i].size();
  }
  if (!toEnd)
    return true;
  const std::string_view last = pieces.back();
  return path.size() >= at + last.size() && path.substr(path.size() - last.size()) == last;
}

std::optional<double> DelaySeconds(std::string_view value) {
  double seconds = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
  if (error != std::errc() || end != value.data() + value.size() || !(seconds >= 0))
    return std::nullopt;
  return std::min(seconds, RobotsRules::kLongestCrawlDelaySeconds);
}

// The rules of one kind of group while the file is read.
struct GroupRules {
  bool seen = false;                                // a user-agent line named it
  std::vector<std::pair<bool, std::string>> rules;  // allow, the value as written
  std::optional<double> crawlDelay;
};

}  // namespace

RobotsRules RobotsRules::Parse(std::string_view text, std::string_view productToken) {
  text = text.substr(0, kMostBytes);
  if (text.substr(0, 3) == "\xEF\xBB\xBF")
    text.remove_prefix(3);
  GroupRules ours;
  GroupRules anyone;
  // The group being read: whose it is, and whether a rule has ended its
  // user-agent lines (the next user-agent line then starts a new group).
  bool forUs = false;
  bool forAnyone = false;
  bool inRules = false;
  while (!text.empty()) {
    const std::size_t end = text.find_first_of("\r\n");
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.size() > kLongestLine)
      continue;
    line = line.substr(0, line.find('#'));
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
      continue;
    const std::string key = AsciiLower(Trimmed(line.substr(0, colon)));
    const std::string_view value = Trimmed(line.substr(colon + 1));
    if (key == "user-agent") {
      if (inRules) {
        forUs = forAnyone = inRules = false;
      }
      const std::string_view name = value.substr(0, value.find_first_of(" \t/"));
      if (name == "*")
        forAnyone = true;
      else if (!name.empty() && EqualsIgnoringAsciiCase(name, productToken))
        forUs = ours.seen = true;  // a group for us counts even when it holds no rule
      continue;
    }
    const bool rule = key == "allow" || key == "disallow";
    if (!rule && key != "crawl-delay")
      continue;  // a sitemap line or one this crawler does not know: no part of a group
    inRules = true;
    for (GroupRules* group : {forUs ? &ours : nullptr, forAnyone ? &anyone : nullptr}) {
      if (group == nullptr)
        continue;
      if (!rule) {
        if (const auto delay = DelaySeconds(value))
          group->crawlDelay = std::max(group->crawlDelay.value_or(0), *delay);
      } else if (!value.empty()) {
        group->rules.emplace_back(key == "allow", std::string(value));
      }
    }
  }
  RobotsRules parsed;
  const GroupRules& chosen = ours.seen ? ours : anyone;
  parsed.crawlDelay_ = chosen.crawlDelay;
  for (const auto& [allow, written] : chosen.rules) {
    std::string pattern = Normalised(written, true);
    if (pattern.front() != '/' && pattern.front() != '*')
      pattern.insert(0, 1, '/');
    parsed.rules_.push_back(
        Rule{allow, std::move(pattern), std::string(allow ? "Allow: " : "Disallow: ") + written});
  }
  return parsed;
}

std::optional<std::string> RobotsRules::refusingRule(std::string_view path) const {
  const std::string normal = Normalised(path.empty() ? std::string_view("/") : path, false);
  if (normal == "/robots.txt")
    return std::nullopt;
  const Rule* longest = nullptr;
  for (const Rule& rule : rules_) {
    if (longest != nullptr && (rule.pattern.size() < longest->pattern.size() ||
                               (rule.pattern.size() == longest->pattern.size() && !rule.allow)))
      continue;
    if (Matches(rule.pattern, normal))
      longest = &rule;
  }
  if (longest == nullptr || longest->allow)
    return std::nullopt;
  return longest->written;
}

std::string RobotsProductToken(std::string_view userAgent) {
  userAgent = Trimmed(userAgent);
  return std::string(userAgent.substr(0, userAgent.find_first_of(" \t/")));
}

std::optional<std::string> RobotsUrlOf(std::string_view url) {
  const UrlPieces pieces = SplitUrlText(url);
  if (!pieces.hasAuthority)
    return std::nullopt;
  std::string_view authority = pieces.authority;
  if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos)
    authority.remove_prefix(at + 1);
  if (authority.empty())
    return std::nullopt;
  return AsciiLower(pieces.scheme) + "://" + AsciiLower(authority) + "/robots.txt";
}

std::string RobotsPathOf(std::string_view url) {
  const UrlPieces pieces = SplitUrlText(url);
  std::string_view rest = url;
  if (pieces.hasAuthority)
    rest.remove_prefix(pieces.scheme.size() + 3 + pieces.authority.size());
  rest = rest.substr(0, rest.find('#'));
  std::string path(rest);
  if (path.empty() || path.front() != '/')
    path.insert(0, 1, '/');
  return path;
}

}  // namespace harvel
