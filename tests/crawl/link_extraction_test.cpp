// SearchStr, seen through crawls of one page: which rows it queues, where, and
// with which level.
#include <gtest/gtest.h>

#include "crawl_fixture.h"

namespace harvel::test {
namespace {

using Strings = std::vector<std::string>;
constexpr const char* kPage = "http://h.test/dir/page.html";

class SearchStrTest : public CrawlTest {
 protected:
  // Crawls kPage holding `body` and gives the rows it queued ("url level").
  Strings scan(const std::string& body, const std::string& level = "0") {
    channel.site[kPage] = body;
    EXPECT_EQ(crawl(kPage, level), CrawlOutcome::Completed);
    return observer.queued;
  }
};

TEST_F(SearchStrTest, QueuesEachLinkOnceWithThePagesFolderAndLevel) {
  EXPECT_EQ(scan(R"(<img src="pic.gif"><img src="pic.gif"><img src="../up.png">)", "2"),
            (Strings{"http://h.test/dir/pic.gif 2", "http://h.test/up.png 2"}));
  EXPECT_EQ(observer.queuedTitles, (Strings{"site", "site"}));
}

TEST_F(SearchStrTest, PutsPicturesRightBehindRowOneWhenTheyComeFirst) {
  channel.site[kPage] = R"(<a href="n.html"><img src="a.gif"><img SRC="b.jpg"><a HREF="c.png">)";
  crawl(kPage, "1");
  EXPECT_EQ(requestedUrls(), (Strings{kPage, "http://h.test/dir/c.png", "http://h.test/dir/b.jpg",
                                      "http://h.test/dir/a.gif", "http://h.test/dir/n.html"}));
}

TEST_F(SearchStrTest, KeepsPageOrderWhenPicturesDoNotComeFirst) {
  options.set(Check::PicFastDown, false);
  channel.site[kPage] = R"(<a href="n.html"><img src="a.gif"><img SRC="b.jpg">)";
  crawl(kPage, "1");
  EXPECT_EQ(requestedUrls(), (Strings{kPage, "http://h.test/dir/a.gif", "http://h.test/dir/b.jpg",
                                      "http://h.test/dir/n.html"}));
}

TEST_F(SearchStrTest, EachPageLinkTakenUsesUpOneLevel) {
  EXPECT_EQ(scan(R"(<a href="1.html"><a href="2.htm"><a href="3.html"><a href="x.gif">)", "2"),
            (Strings{"http://h.test/dir/1.html 1", "http://h.test/dir/2.htm 0",
                     "http://h.test/dir/x.gif 0"}));
}

TEST_F(SearchStrTest, ADuplicatePageLinkStillUsesUpALevel) {
  EXPECT_EQ(scan(R"(<a href="1.html"><a href="1.html"><a href="2.html">)", "2"),
            (Strings{"http://h.test/dir/1.html 1"}));
}

TEST_F(SearchStrTest, AFrameSourceCanUseUpTheLevelBeforeTheHrefScans) {
  EXPECT_EQ(scan(R"(<frame src="f.html"><a href="x.gif"><img src="y.gif">)", "1"),
            (Strings{"http://h.test/dir/f.html 0", "http://h.test/dir/y.gif 0"}));
}

TEST_F(SearchStrTest, LevelZeroRunsNoHrefScan) {
  EXPECT_EQ(scan(R"(<a href="x.gif"><a HREF="y.gif"><img SRC="z.gif">)", "0"),
            (Strings{"http://h.test/dir/z.gif 0"}));
}

TEST_F(SearchStrTest, KeysAndEndingsAreCaseSensitive) {
  EXPECT_EQ(scan(R"(<img Src="a.gif"><img src="B.GIF"><img src="c.Jpg"><img src="d.jpeg">)"),
            (Strings{"http://h.test/dir/d.jpeg 0"}));
}

TEST_F(SearchStrTest, TakesOnlyQuotedTextWithADot) {
  // Empty and dotless values are skipped; an unquoted value is passed over for
  // the next quoted text; a value without a closing quote is not taken.
  EXPECT_EQ(scan(R"(<img src=""><img src="/dir/"><img src=b.gif alt="c.png"><img src="open.gif)"),
            (Strings{"http://h.test/dir/c.png 0"}));
}

TEST_F(SearchStrTest, EndsTheScanWhereNoQuoteFollowsTheKey) {
  EXPECT_EQ(scan("<img src=\"a.gif\"><img src=b.gif>\r\n<img src=c.gif>"),
            (Strings{"http://h.test/dir/a.gif 0"}));
}

TEST_F(SearchStrTest, SkipsALinkThatCannotBeResolvedAndGoesOn) {
  EXPECT_EQ(scan(R"(<img src="http://h.test:99999/a.gif"><img src="b.gif">)"),
            (Strings{"http://h.test/dir/b.gif 0"}));
}

TEST_F(SearchStrTest, FindsLinksFarBeyondThe32767thCharacter) {
  const std::string padding(70000, ' ');
  EXPECT_EQ(scan(padding + R"(<img src="far.gif">)" + padding + R"(<img src="farther.gif">)"),
            (Strings{"http://h.test/dir/far.gif 0", "http://h.test/dir/farther.gif 0"}));
}

TEST_F(SearchStrTest, OtherTypesNeedOtherChkButMailLinksPass) {
  const std::string body = R"(<a href="doc.pdf"><a href="mailto:me@h.test"><a href="../">)";
  EXPECT_EQ(scan(body, "1"), (Strings{"mailto:me@h.test 1"}));
  observer.queued.clear();
  options.set(Check::Other, true);
  EXPECT_EQ(scan(body, "1"),
            (Strings{"http://h.test/dir/doc.pdf 1", "mailto:me@h.test 1", "http://h.test/ 1"}));
}

TEST_F(SearchStrTest, TheUserListDecidesForEverythingButPages) {
  options.set(Check::UserSet, true);
  options.setUserSetText("pdf,gif");
  EXPECT_EQ(scan(R"(<a href="a.pdf"><a href="b.png"><a href="c.html"><img src="d.gif">)", "1"),
            (Strings{"http://h.test/dir/d.gif 1", "http://h.test/dir/a.pdf 1",
                     "http://h.test/dir/c.html 0"}));
}

TEST_F(SearchStrTest, TheUrlFilterKeepsOnlyUrlsHoldingItsText) {
  options.set(Check::CommonURL, true);
  options.setCommonUrlText("/keep/");
  EXPECT_EQ(scan(R"(<img src="keep/a.gif"><img src="b.gif"><a href="mailto:x@y.z">)", "1"),
            (Strings{"http://h.test/dir/keep/a.gif 1"}));
  observer.queued.clear();
  options.setCommonUrlText("");
  EXPECT_EQ(scan(R"(<img src="b.gif">)"), (Strings{"http://h.test/dir/b.gif 0"}));
}

TEST_F(SearchStrTest, ReadsTheOptionsAtEveryLink) {
  options.set(Check::PicFastDown, false);
  // Turning GIF off while the first link is looked at: the second is skipped.
  int examined = 0;
  channel.site[kPage] = R"(<img src="a.gif"><img src="b.gif">)";
  observer.onInsert = [&] {
    if (++examined == 1)
      options.set(Check::Gif, false);
  };
  crawl(kPage, "0");
  EXPECT_EQ(observer.queued, (Strings{"http://h.test/dir/a.gif 0"}));
}

}  // namespace
}  // namespace harvel::test
