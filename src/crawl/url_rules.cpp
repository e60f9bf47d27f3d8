#include "crawl/url_rules.h"

#include <utility>

#include "common/ascii_text.h"

namespace harvel {
namespace {

constexpr std::string_view kPagePrefix = "page:";
constexpr std::string_view kFilePrefix = "file:";

bool SpeaksOf(RuleScope scope, bool page) {
  return scope == RuleScope::Any || (scope == RuleScope::Pages) == page;
}

}  // namespace

std::string UrlRule::describe() const {
  return std::string(accept ? "--accept " : "--reject ") + text;
}

std::optional<UrlRule> ParseUrlRule(bool accept, std::string_view text, std::string& error) {
  UrlRule rule{accept, RuleScope::Any, std::string(text), {}};
  std::string_view pattern = text;
  if (pattern.starts_with(kPagePrefix)) {
    rule.scope = RuleScope::Pages;
    pattern.remove_prefix(kPagePrefix.size());
  } else if (pattern.starts_with(kFilePrefix)) {
    rule.scope = RuleScope::Files;
    pattern.remove_prefix(kFilePrefix.size());
  }
  if (pattern.empty()) {
    error = "an empty pattern";
    return std::nullopt;
  }
  std::optional<UrlPattern> compiled = UrlPattern::Parse(pattern, error);
  if (!compiled)
    return std::nullopt;
  rule.pattern = std::move(*compiled);
  return rule;
}

UrlRules ParseUrlRuleLines(std::string_view text, std::string& error) {
  error.clear();
  std::vector<UrlRule> rules;
  int number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = Trimmed(text.substr(0, end), kHtmlSpace);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    if (line.empty() || line.front() == '#')
      continue;
    std::string problem;
    std::optional<UrlRule> rule;
    if (line.front() == '+' || line.front() == '-') {
      rule = ParseUrlRule(line.front() == '+', Trimmed(line.substr(1), kHtmlSpace), problem);
    } else {
      problem = "a rule starts with + (take) or - (leave out)";
    }
    if (rule) {
      rules.push_back(std::move(*rule));
    } else if (error.empty()) {
      error = "line " + std::to_string(number) + ": " + problem;
    }
  }
  return UrlRules(std::move(rules));
}

UrlRules::Verdict UrlRules::judge(std::string_view url, bool page) const {
  Verdict verdict;
  bool acceptSpeaks = false;
  for (auto rule = rules_.rbegin(); rule != rules_.rend(); ++rule) {
    if (!SpeaksOf(rule->scope, page))
      continue;
    if (rule->pattern.matches(url))
      return Verdict{rule->accept, &*rule};
    acceptSpeaks = acceptSpeaks || rule->accept;
  }
  verdict.taken = !acceptSpeaks;
  return verdict;
}

std::string UrlRules::RefusalText(const Verdict& verdict) {
  if (verdict.rule != nullptr)
    return "refused by " + verdict.rule->describe();
  return "matched by no --accept rule";
}

}  // namespace harvel
