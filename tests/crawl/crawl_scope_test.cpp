// What a crawl reaches, seen through crawls over an in-memory site: every
// link, its levels with both readers, and the row decision's refusals.
#include <gtest/gtest.h>

#include "crawl/url_rules.h"
#include "crawl_fixture.h"

namespace harvel::test {
namespace {

using Strings = std::vector<std::string>;
constexpr const char* kPage = "http://h.test/dir/page.html";

class CrawlScopeTest : public CrawlTest {};

TEST_F(CrawlScopeTest, EveryLinkQueuesEachPageLinkOneLevelDownWithBothReaders) {
  options.setAllLinks(true);
  const std::string body =
      R"(<iframe src="f.html"></iframe><a href="1.html"><a href="2.htm"><a href="3.html"><a href="1.html">)";
  const Strings expected{"http://h.test/dir/f.html 1", "http://h.test/dir/1.html 1",
                         "http://h.test/dir/2.htm 1", "http://h.test/dir/3.html 1"};
  for (const bool modern : {false, true}) {
    options.set(Check::ModernPages, modern);
    channel.site.clear();
    channel.site[kPage] = body;
    observer.queued.clear();
    EXPECT_EQ(crawl(kPage, "2"), CrawlOutcome::Completed);
    EXPECT_EQ(observer.queued, expected) << (modern ? "modern" : "scan");
  }
}

TEST_F(CrawlScopeTest, TheRowDecisionAsksForNothingOutOfScopeButTheStartUrl) {
  options.setSameSite(true);
  std::string error;
  options.setUrlRules(std::make_shared<const UrlRules>(ParseUrlRuleLines("-*.gif\n", error)));
  channel.site["http://www.h.test/a.gif"] = "GIF89a";
  channel.site[kPage] =
      R"(<img src="http://img.other.test/b.png"><img src="a.gif"><a href="http://other.test/x.html">)"
      R"(<a href="http://www.h.test/y.html">)";
  channel.site["http://www.h.test/y.html"] = "";
  EXPECT_EQ(crawl(kPage, "2"), CrawlOutcome::Completed);
  EXPECT_EQ(requestedUrls(),
            (Strings{kPage, "http://img.other.test/b.png", "http://www.h.test/y.html"}));
}

}  // namespace
}  // namespace harvel::test
