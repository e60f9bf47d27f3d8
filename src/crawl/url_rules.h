#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crawl/url_pattern.h"

namespace harvel {

// Which URLs a rule speaks of: pages (the rows read for links), files (every
// other row), or both.
enum class RuleScope { Any, Pages, Files };

// One accept or reject rule as the user wrote it: a pattern over the whole
// URL, with "page:" or "file:" in front for a rule that names pages only or
// files only.
struct UrlRule {
  bool accept = true;
  RuleScope scope = RuleScope::Any;
  std::string text;  // as written, prefix included
  UrlPattern pattern;

  // "--accept PATTERN" / "--reject PATTERN", as the command line writes it.
  std::string describe() const;
};

// The rule `text`, or nullopt with `error` set (a bad pattern).
std::optional<UrlRule> ParseUrlRule(bool accept, std::string_view text, std::string& error);

// The accept and reject rules of a crawl, in the order given. Of the rules
// that speak of a URL's kind, the last that matches it decides. A URL that none
// of them matches is taken, unless an accept rule speaks of its kind: then only
// what the accept rules take is taken.
class UrlRules {
 public:
  UrlRules() = default;
  explicit UrlRules(std::vector<UrlRule> rules) : rules_(std::move(rules)) {}

  struct Verdict {
    bool taken = true;
    const UrlRule* rule = nullptr;  // the rule that decided; nullptr: none matched
  };
  Verdict judge(std::string_view url, bool page) const;

  // Why `verdict` refused: the deciding rule, or that no accept rule matched.
  static std::string RefusalText(const Verdict& verdict);

  bool empty() const { return rules_.empty(); }
  const std::vector<UrlRule>& rules() const { return rules_; }

 private:
  std::vector<UrlRule> rules_;
};

// Rules written one a line, as the settings dialog takes them: "+PATTERN"
// accepts, "-PATTERN" rejects (spaces after the sign and around the line do
// not count); empty lines and lines starting with "#" are passed over. The
// lines that cannot be read are left out, the first of them named in `error`
// with its line number.
UrlRules ParseUrlRuleLines(std::string_view text, std::string& error);

}  // namespace harvel
