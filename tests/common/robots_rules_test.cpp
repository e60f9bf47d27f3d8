#include "common/robots_rules.h"

#include <gtest/gtest.h>

namespace harvel {
namespace {

constexpr const char* kGroups =
    "User-Agent: *\n"
    "Disallow: *.gif$\n"
    "Disallow: /example/\n"
    "Allow: /publications/\n"
    "\n"
    "User-Agent: foobot\n"
    "Disallow:/\n"
    "Allow:/example/page.html\n"
    "Allow:/example/allowed.gif\n"
    "\n"
    "User-Agent: barbot\n"
    "User-Agent: bazbot\n"
    "Disallow: /example/page.html\n"
    "\n"
    "User-Agent: quxbot\n";

TEST(RobotsRules, ChoosesTheGroupAndTheLongestMatch) {
  struct Case {
    const char* text;
    const char* agent;
    const char* path;
    bool allowed;
  };
  const Case cases[] = {
      // Our group by its product token in any case, else `*`; an empty group allows all.
      {kGroups, "FooBot", "/example/page.html", true},
      {kGroups, "foobot", "/example/allowed.gif", true},
      {kGroups, "foobot", "/other", false},
      {kGroups, "bazbot", "/example/page.html", false},
      {kGroups, "barbot", "/example/other.html", true},
      {kGroups, "quxbot", "/example/page.gif", true},
      {kGroups, "VeskDownloader", "/example/x", false},
      {kGroups, "VeskDownloader", "/pictures/a.gif", false},
      {kGroups, "VeskDownloader", "/pictures/a.gif?x", true},
      {kGroups, "VeskDownloader", "/publications/a.gif", true},
      {kGroups, "VeskDownloader", "/publications/a", true},
      // The longest match wins; Allow wins a tie.
      {"user-agent: a\nallow: /example/page/\ndisallow: /example/page/disallowed.gif\n", "a",
       "/example/page/disallowed.gif", false},
      {"user-agent: a\nallow: /example/page/\ndisallow: /example/page/disallowed.gif\n", "a",
       "/example/page/ok.gif", true},
      {"user-agent: a\nallow: /folder\ndisallow: /folder\n", "a", "/folder/x", true},
      {"user-agent: a\ndisallow: /\nallow: /$\n", "a", "/", true},
      {"user-agent: a\ndisallow: /\nallow: /$\n", "a", "/page", false},
      // `*` anywhere, `$` at the end, an empty Disallow refuses nothing.
      {"user-agent: *\ndisallow: /*/private/*.jpg\n", "a", "/x/y/private/z/p.jpg", false},
      {"user-agent: *\ndisallow: /*/private/*.jpg\n", "a", "/private/p.jpg", true},
      {"user-agent: *\ndisallow: /a*b*c$\n", "a", "/abxbc", false},
      {"user-agent: *\ndisallow: /a*b*c$\n", "a", "/abcx", true},
      {"user-agent: *\ndisallow:\n", "a", "/anything", true},
      // Percent-encodings compared as one spelling; a literal `*` and `$` in a path.
      {"user-agent: *\ndisallow: /foo/bar/%62%61%7A\n", "a", "/foo/bar/baz", false},
      {"user-agent: *\ndisallow: /foo/bar/baz\n", "a", "/foo/bar/%62%61%7a", false},
      {"user-agent: *\ndisallow: /foo/bar/\xE3\x83\x84\n", "a", "/foo/bar/%e3%83%84", false},
      {"user-agent: *\ndisallow: /path/file-with-a-%2A.html\n", "a", "/path/file-with-a-*.html",
       false},
      {"user-agent: *\ndisallow: /path/foo-%24\n", "a", "/path/foo-$", false},
      {"user-agent: *\ndisallow: /path/foo-$\n", "a", "/path/foo-$", true},
      {"user-agent: *\ndisallow: /foo/bar?baz=quz\n", "a", "/foo/bar?baz=quz", false},
      // Comments, a BOM, CR line ends, rules before any group, a bare pattern.
      {"\xEF\xBB\xBF# c\r\nDisallow: /x\r\nUSER-AGENT : * # all\r\nDISALLOW : /y # why\r\n", "a",
       "/y/1", false},
      {"disallow: /x\nuser-agent: *\ndisallow: /y\n", "a", "/x", true},
      {"user-agent: *\ndisallow: private\n", "a", "/private/1", false},
      // robots.txt itself is always allowed.
      {"user-agent: *\ndisallow: /\n", "a", "/robots.txt", true},
  };
  for (const Case& c : cases) {
    const RobotsRules rules = RobotsRules::Parse(c.text, c.agent);
    EXPECT_EQ(rules.allows(c.path), c.allowed) << c.agent << " " << c.path << "\n" << c.text;
  }
  const RobotsRules rules = RobotsRules::Parse(kGroups, "foobot");
  EXPECT_EQ(rules.refusingRule("/other"), "Disallow: /");
  EXPECT_FALSE(RobotsRules().refusingRule("/x"));
}

TEST(RobotsRules, ReadsCrawlDelayAndStopsAtItsBounds) {
  EXPECT_EQ(RobotsRules::Parse("user-agent: *\ncrawl-delay: 2.5\n", "a").crawlDelaySeconds(), 2.5);
  EXPECT_EQ(RobotsRules::Parse("user-agent: *\ncrawl-delay: 86400\n", "a").crawlDelaySeconds(),
            RobotsRules::kLongestCrawlDelaySeconds);
  EXPECT_FALSE(RobotsRules::Parse("user-agent: *\ncrawl-delay: soon\n", "a").crawlDelaySeconds());
  EXPECT_FALSE(RobotsRules::Parse("user-agent: b\ncrawl-delay: 5\n", "a").crawlDelaySeconds());

  // What lies beyond the bytes read, and lines longer than the longest, count for nothing.
  std::string big = "user-agent: *\n";
  big += std::string(RobotsRules::kMostBytes, '#') + "\ndisallow: /late\n";
  EXPECT_TRUE(RobotsRules::Parse(big, "a").allows("/late"));
  const std::string longLine =
      "user-agent: *\ndisallow: /" + std::string(RobotsRules::kLongestLine, 'a') + "\n";
  EXPECT_TRUE(RobotsRules::Parse(longLine, "a").allows("/" + std::string(5000, 'a')));

  // A pattern made to backtrack is matched in time that grows with its size only.
  std::string hostile = "user-agent: *\n";
  for (int i = 0; i < 200; ++i)
    hostile += "disallow: /" + std::string(400, '*') + "a*a*a*a*a*a*a*a*a*a*a*b$\n";
  EXPECT_TRUE(RobotsRules::Parse(hostile, "a").allows("/" + std::string(4000, 'a')));
}

TEST(RobotsRules, FindsTheFileAndThePathOfAUrl) {
  EXPECT_EQ(RobotsUrlOf("HTTP://User:Pw@Host.Test:8080/a/b?c#d"),
            "http://host.test:8080/robots.txt");
  EXPECT_EQ(RobotsUrlOf("relative/a"), std::nullopt);
  EXPECT_EQ(RobotsPathOf("http://h/a/b?c=d#e"), "/a/b?c=d");
  EXPECT_EQ(RobotsPathOf("http://h"), "/");
  EXPECT_EQ(RobotsPathOf("http://h?q"), "/?q");
  EXPECT_EQ(RobotsProductToken(" VeskDownloader/1.0 (x)"), "VeskDownloader");
}

}  // namespace
}  // namespace harvel
