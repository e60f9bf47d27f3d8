// What the crawl does with how each download ended: the totals count only
// files that landed, failures reach the observer, rows that cannot be sent
// fail without a request, and each request carries the page that linked it.
#include <gtest/gtest.h>

#include "crawl/crawl_state.h"
#include "crawl_fixture.h"

namespace harvel::test {
namespace {

using Strings = std::vector<std::string>;
constexpr const char* kPage = "http://h.test/dir/page.html";

TEST_F(CrawlTest, TheTotalsCountOnlyFilesThatLanded) {
  channel.site[kPage] = R"(<img src="a.gif"><img src="gone.gif"><img src="busy.png">)";
  channel.site["http://h.test/dir/a.gif"] = "GIF89a";
  channel.site["http://h.test/dir/busy.png"] = "PNG";
  channel.failures["http://h.test/dir/busy.png"] = "timeout";
  EXPECT_EQ(crawl(kPage, "0"), CrawlOutcome::Completed);

  // The page was counted and uncounted again when it was dropped; a.gif landed.
  EXPECT_EQ(observer.status2.back(), "ダウンロード総数:1 (残りの数：0 )");
  EXPECT_EQ(observer.failures,
            (Strings{"http://h.test/dir/busy.png " + folder.text() + "/site/busy.png timeout",
                     "http://h.test/dir/gone.gif " + folder.text() +
                         "/site/gone.gif HTTP 404 Not Found"}));
  ASSERT_EQ(observer.records.size(), 4u);
  EXPECT_EQ(observer.records[0].url, kPage);
  EXPECT_TRUE(observer.records[0].outcome.landed);
  EXPECT_EQ(observer.records[2].url, "http://h.test/dir/gone.gif");
  EXPECT_EQ(observer.records[2].path, folder.text() + "/site/gone.gif");
  EXPECT_EQ(observer.records[2].outcome.httpStatus, 404);
  EXPECT_FALSE(observer.records[2].outcome.landed);
}

TEST_F(CrawlTest, APageThatFailedIsNotReadForLinks) {
  // An old copy of the page lies in the folder; the server has none now.
  folder.write("site/page.html", R"(<img src="old.gif">)");
  channel.site["http://h.test/dir/old.gif"] = "GIF89a";
  EXPECT_EQ(crawl(kPage, "1"), CrawlOutcome::Completed);
  EXPECT_EQ(requestedUrls(), Strings{kPage});
  EXPECT_EQ(observer.status2.back(), "ダウンロード総数:0 (残りの数：0 )");
  EXPECT_EQ(file("site/page.html"), R"(<img src="old.gif">)");
}

TEST_F(CrawlTest, AMailRowStillCountsAndMakesNoRequest) {
  options.set(Check::Mail, true);
  channel.site[kPage] = R"(<a href="mailto:a@h.test">)";
  EXPECT_EQ(crawl(kPage, "1"), CrawlOutcome::Completed);
  EXPECT_EQ(requestedUrls(), Strings{kPage});
  EXPECT_EQ(observer.status2.back(), "ダウンロード総数:1 (残りの数：0 )");
  EXPECT_TRUE(observer.failures.empty());
}

TEST_F(CrawlTest, ARowWhoseFolderCannotBeMadeFailsWithoutARequest) {
  folder.write("blocked", "a plain file, not a folder");
  channel.site["http://h.test/a.gif"] = "GIF89a";
  channel.site["http://h.test/b.gif"] = "GIF89a";
  window.appendRow({"blocked", "http://h.test/a.gif", "0"});
  window.appendRow({"site", "http://h.test/b.gif", "0"});
  EXPECT_EQ(window.SearchStart(), CrawlOutcome::Completed);

  EXPECT_EQ(requestedUrls(), Strings{"http://h.test/b.gif"});
  ASSERT_EQ(observer.failures.size(), 1u);
  const std::string expected = "http://h.test/a.gif " + folder.text() +
                               "/blocked/a.gif the folder " + folder.text() +
                               "/blocked cannot be made: ";
  EXPECT_EQ(observer.failures[0].rfind(expected, 0), 0u) << observer.failures[0];
  ASSERT_EQ(observer.records.size(), 2u);
  EXPECT_FALSE(observer.records[0].outcome.landed);
  EXPECT_EQ(observer.records[0].outcome.reason, "folder");
  EXPECT_TRUE(observer.records[1].outcome.landed);
  EXPECT_EQ(file("blocked"), "a plain file, not a folder");
  EXPECT_EQ(observer.status2.back(), "ダウンロード総数:1 (残りの数：0 )");
}

TEST_F(CrawlTest, AMailAddressThatCannotBeWrittenFailsAndIsNotCounted) {
  options.set(Check::Mail, true);
  folder.write("site/メールアドレス.txt/inside", "");  // a folder where the file belongs
  channel.site[kPage] = R"(<a href="mailto:a@h.test"><a href="mailto:b@h.test">)";
  EXPECT_EQ(crawl(kPage, "1"), CrawlOutcome::Completed);

  EXPECT_EQ(requestedUrls(), Strings{kPage});
  const std::string mailFile = folder.text() + "/site/メールアドレス.txt";
  const std::string reason = " the address cannot be written to " + mailFile;
  EXPECT_EQ(observer.failures, (Strings{"mailto:a@h.test " + mailFile + reason,
                                        "mailto:b@h.test " + mailFile + reason}));
  ASSERT_EQ(observer.records.size(), 3u);
  EXPECT_EQ(observer.records[1].outcome.reason, "mail-file");
  EXPECT_FALSE(observer.records[2].outcome.landed);
  // The page is not kept, and neither address counts.
  EXPECT_EQ(observer.status2.back(), "ダウンロード総数:0 (残りの数：0 )");
}

TEST_F(CrawlTest, RowsThatCannotBeSentFailWithoutARequestAndTheCrawlGoesOn) {
  options.set(Check::Other, true);
  const std::string longLink = "http://h.test/dir/" + std::string(300, 'x') + ".gif";
  channel.maxRequestLength = 200;
  channel.site[kPage] = R"(<img src="javascript:steal().gif"><img src=")" + longLink +
                        R"("><img src="ftp://h.test/f.gif"><img src="a.gif">)";
  channel.site["ftp://h.test/f.gif"] = "GIF89a-ftp";
  channel.site["http://h.test/dir/a.gif"] = "GIF89a";
  EXPECT_EQ(crawl(kPage, "0"), CrawlOutcome::Completed);

  EXPECT_EQ(requestedUrls(), (Strings{kPage, "http://h.test/dir/a.gif", "ftp://h.test/f.gif"}));
  ASSERT_EQ(observer.failures.size(), 2u);
  EXPECT_NE(observer.failures[0].find("too long"), std::string::npos) << observer.failures[0];
  EXPECT_EQ(observer.failures[0].rfind(longLink, 0), 0u);
  EXPECT_EQ(observer.failures[1].rfind("javascript:steal().gif", 0), 0u) << observer.failures[1];
  EXPECT_NE(observer.failures[1].find("only http, https and ftp"), std::string::npos);
  EXPECT_EQ(observer.status2.back(), "ダウンロード総数:2 (残りの数：0 )");
}

TEST_F(CrawlTest, EachRequestCarriesThePageThatLinkedItAndTheMaxSize) {
  options.setMaxFileSize(4096);
  channel.site[kPage] = R"(<img src="a.gif"><a href="sub/next.html">)";
  channel.site["http://h.test/dir/sub/next.html"] = R"(<img src="../b.gif">)";
  channel.site["http://h.test/dir/a.gif"] = "GIF89a";
  channel.site["http://h.test/dir/b.gif"] = "GIF89a";
  EXPECT_EQ(crawl(kPage, "1"), CrawlOutcome::Completed);
  EXPECT_EQ(requestedUrls(),
            (Strings{kPage, "http://h.test/dir/a.gif", "http://h.test/dir/sub/next.html",
                     "http://h.test/dir/b.gif"}));
  EXPECT_EQ(channel.referers, (Strings{"", kPage, kPage, "http://h.test/dir/sub/next.html"}));
  EXPECT_EQ(channel.maxSizes, (std::vector<std::int64_t>{4096, 4096, 4096, 4096}));
}

TEST_F(CrawlTest, APictureUnderTheMinimumIsNeitherADownloadNorAFailureAndPagesAreNotJudged) {
  options.setMinimumPicture({400, 300});
  options.set(Check::Other, true);
  channel.site[kPage] =
      R"(<img src="big.jpg"><img src="short.png"><img src="thumb.gif"><a href="next.html">)"
      R"(<a href="notes.txt">)";
  for (const char* name : {"big.jpg", "short.png", "thumb.gif", "next.html", "notes.txt"})
    channel.site[std::string("http://h.test/dir/") + name] = "body";
  channel.pictureSizes["http://h.test/dir/big.jpg"] = {1200, 300};
  channel.pictureSizes["http://h.test/dir/short.png"] = {1200, 299};
  channel.pictureSizes["http://h.test/dir/thumb.gif"] = {120, 90};
  EXPECT_EQ(crawl(kPage, "1"), CrawlOutcome::Completed);

  const PictureSize minimum{400, 300};
  EXPECT_EQ(channel.minPictures, (std::vector<PictureSize>{{}, minimum, minimum, minimum, {}, {}}));
  EXPECT_TRUE(observer.failures.empty());
  EXPECT_TRUE(exists("site/big.jpg"));
  EXPECT_FALSE(exists("site/short.png"));
  // The pages were counted and dropped again: big.jpg and notes.txt remain.
  EXPECT_EQ(observer.status2.back(), "ダウンロード総数:2 (残りの数：0 )");
  ASSERT_EQ(observer.records.size(), 6u);
  std::map<std::string, std::string> lines;  // file name -> its record's text
  for (const RequestRecord& record : observer.records)
    lines[record.path.substr(record.path.rfind('/') + 1)] = RequestRecordText(record);
  EXPECT_NE(lines["short.png"].find(": too small (1200x299), HTTP 200"), std::string::npos);
  EXPECT_NE(lines["thumb.gif"].find(": too small (120x90), HTTP 200"), std::string::npos);
  EXPECT_NE(lines["big.jpg"].find(": landed"), std::string::npos);
}

TEST(RequestRecordText, SaysUrlPathOutcomeStatusBytesAndTime) {
  RequestRecord landed{"http://e.test/a.gif", "/h/site/a.gif", {}};
  landed.outcome.httpStatus = 200;
  landed.outcome.bytes = 5120;
  landed.outcome.elapsedMs = 42;
  EXPECT_EQ(RequestRecordText(landed),
            "http://e.test/a.gif -> /h/site/a.gif: landed, HTTP 200, 5120 bytes, 0.042 s");

  RequestRecord failed{"http://e.test/b.gif", "/h/site/b.gif", {}};
  failed.outcome.landed = false;
  failed.outcome.reason = "connection-refused";
  failed.outcome.elapsedMs = 2003;
  EXPECT_EQ(RequestRecordText(failed),
            "http://e.test/b.gif -> /h/site/b.gif: failed "
            "(connection-refused), HTTP -, 0 bytes, 2.003 s");
  failed.outcome.reasonText = "connection refused: nobody listens";
  EXPECT_EQ(FailureReasonText(failed.outcome), "connection refused: nobody listens");
}

}  // namespace
}  // namespace harvel::test
