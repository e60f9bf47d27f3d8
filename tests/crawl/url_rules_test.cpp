#include "crawl/url_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace harvel {
namespace {

UrlPattern Pattern(const std::string& text) {
  std::string error;
  std::optional<UrlPattern> pattern = UrlPattern::Parse(text, error);
  EXPECT_TRUE(pattern) << text << ": " << error;
  return pattern.value_or(UrlPattern());
}

UrlRules Rules(std::initializer_list<std::pair<bool, const char*>> list) {
  std::vector<UrlRule> rules;
  for (const auto& [accept, text] : list) {
    std::string error;
    std::optional<UrlRule> rule = ParseUrlRule(accept, text, error);
    EXPECT_TRUE(rule) << text << ": " << error;
    if (rule)
      rules.push_back(std::move(*rule));
  }
  return UrlRules(std::move(rules));
}

TEST(UrlPattern, ShellPatternsMatchTheWholeUrl) {
  EXPECT_TRUE(Pattern("*.jpg").matches("http://h/a/b.jpg"));
  EXPECT_FALSE(Pattern("*.jpg").matches("http://h/a/b.jpg?w=1"));
  EXPECT_FALSE(Pattern("*.jpg").matches("http://h/a/b.JPG"));  // case counts
  EXPECT_TRUE(Pattern("http://h/*").matches("http://h/"));     // * may match nothing
  EXPECT_FALSE(Pattern("h/*").matches("http://h/x"));          // anchored at the start
  EXPECT_TRUE(Pattern("*/page?.html").matches("http://h/page7.html"));
  EXPECT_FALSE(Pattern("*/page?.html").matches("http://h/page12.html"));
  EXPECT_TRUE(Pattern("*/img[0-9][0-9].png").matches("http://h/img42.png"));
  EXPECT_FALSE(Pattern("*/img[!0-9]*").matches("http://h/img4.png"));
  EXPECT_TRUE(Pattern("*/img[^0-9]*").matches("http://h/imgA.png"));
  EXPECT_TRUE(Pattern("*[]]*").matches("http://h/a]b"));
  EXPECT_TRUE(Pattern("*\\*\\?*").matches("http://h/a*?b"));
  EXPECT_FALSE(Pattern("*\\*\\?*").matches("http://h/ab"));
  EXPECT_TRUE(Pattern("**a**").matches("a"));
  EXPECT_TRUE(UrlPattern().matches(""));
}

TEST(UrlPattern, RefusesWhatItCannotRead) {
  std::string error;
  EXPECT_FALSE(UrlPattern::Parse("*[a-z", error));
  EXPECT_EQ(error, "a [ without its ]");
  EXPECT_FALSE(UrlPattern::Parse("abc\\", error));
  EXPECT_FALSE(UrlPattern::Parse(std::string(UrlPattern::kMaxLength + 1, 'a'), error));
  EXPECT_TRUE(UrlPattern::Parse(std::string(UrlPattern::kMaxLength, '*'), error));
  EXPECT_FALSE(ParseUrlRule(true, "page:", error));
}

// A backtracking matcher takes time beyond any test's patience here (every
// way of spreading 64 KiB over the stars); the set of positions takes one
// pass over the URL.
TEST(UrlPattern, HostilePatternsTakeOnePassOverALongUrl) {
  std::string hostile;
  for (int i = 0; i < 40; ++i)
    hostile += "*a";
  const UrlPattern pattern = Pattern(hostile + "*b");
  const std::string url = "http://h/" + std::string(64 * 1024, 'a');
  EXPECT_FALSE(pattern.matches(url));
  EXPECT_TRUE(pattern.matches(url + "b"));
  EXPECT_TRUE(Pattern("*?*?*?*?*?*?*?*?*?*?*" + std::string(100, '?')).matches(url));
}

TEST(UrlRules, TheLastRuleThatMatchesDecides) {
  const UrlRules rules = Rules({{false, "*.gif"}, {true, "*/keep/*"}, {false, "*/keep/no*"}});
  EXPECT_FALSE(rules.judge("http://h/a.gif", false).taken);
  EXPECT_EQ(rules.judge("http://h/a.gif", false).rule->describe(), "--reject *.gif");
  EXPECT_TRUE(rules.judge("http://h/keep/a.gif", false).taken);
  EXPECT_FALSE(rules.judge("http://h/keep/no.gif", false).taken);
  EXPECT_EQ(UrlRules::RefusalText(rules.judge("http://h/keep/no.gif", false)),
            "refused by --reject */keep/no*");
  // An accept rule speaks of every kind here, so what none matches is refused.
  const UrlRules::Verdict other = rules.judge("http://h/a.png", false);
  EXPECT_FALSE(other.taken);
  EXPECT_EQ(UrlRules::RefusalText(other), "matched by no --accept rule");
  EXPECT_TRUE(Rules({{false, "*.gif"}}).judge("http://h/a.png", false).taken);
  EXPECT_TRUE(UrlRules().judge("http://h/a.png", true).taken);
}

TEST(UrlRules, PageAndFileRulesSpeakOfTheirKindOnly) {
  const UrlRules rules = Rules({{true, "page:*/gallery/*"}, {false, "file:*thumb*"}});
  EXPECT_TRUE(rules.judge("http://h/gallery/2.html", true).taken);
  EXPECT_FALSE(rules.judge("http://h/blog/2.html", true).taken);  // pages need the accept
  EXPECT_TRUE(rules.judge("http://cdn/x/big.jpg", false).taken);  // files only the reject
  EXPECT_FALSE(rules.judge("http://cdn/x/thumb.jpg", false).taken);
  EXPECT_TRUE(rules.judge("http://h/thumb/1.html", true).taken == false);
  EXPECT_EQ(rules.rules()[0].scope, RuleScope::Pages);
}

TEST(UrlRules, LinesOfTheDialogAreSignedRules) {
  std::string error;
  const UrlRules rules =
      ParseUrlRuleLines(" + page:*/gallery/*\n\n# pictures\n-file:*thumb*\r\nphoto\n+[x\n", error);
  ASSERT_EQ(rules.rules().size(), 2u);
  EXPECT_EQ(rules.rules()[0].describe(), "--accept page:*/gallery/*");
  EXPECT_EQ(rules.rules()[1].describe(), "--reject file:*thumb*");
  EXPECT_EQ(error, "line 5: a rule starts with + (take) or - (leave out)");
  ParseUrlRuleLines("-*.gif\n", error);
  EXPECT_EQ(error, "");
}

}  // namespace
}  // namespace harvel
