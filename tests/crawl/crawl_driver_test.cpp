// SearchStart: rows, type decisions, numbering, mail rows, pages, totals and
// completion, with the download notices coming through the event pump.
#include <gtest/gtest.h>

#include <filesystem>

#include "crawl/crawl_state.h"
#include "crawl_fixture.h"

namespace harvel::test {
namespace {

using Strings = std::vector<std::string>;
using Ms = std::chrono::milliseconds;
constexpr const char* kPage = "http://h.test/dir/page.html";

std::string Lines(int count, const std::string& last) {
  std::string text;
  for (int i = 1; i < count; ++i)
    text += "filler\r\n";
  return text + last + "\r\n";
}

TEST_F(CrawlTest, FetchesAPageAndItsPicturesThenCompletes) {
  channel.site[kPage] = R"(<img src="a.gif"><a href="b.html">)";
  channel.site["http://h.test/dir/a.gif"] = "GIF89a";
  EXPECT_EQ(crawl(kPage, "0"), CrawlOutcome::Completed);

  EXPECT_EQ(requestedUrls(), (Strings{kPage, "http://h.test/dir/a.gif"}));
  EXPECT_EQ(channel.requests[1], "http://h.test/dir/a.gif," + folder.text() + "/site/a.gif");
  EXPECT_EQ(file("site/a.gif"), "GIF89a");
  EXPECT_FALSE(exists("site/page.html"));  // read for links, then dropped (HtmChk off)
  EXPECT_EQ(observer.status1,
            (Strings{"ダウンロード中...", "処理中...", "ダウンロード中...", "処理中..."}));
  EXPECT_EQ(observer.status2,
            (Strings{"ダウンロード総数:0 (残りの数：1 )", "ダウンロード総数:1 (残りの数：0 )"}));
  EXPECT_GT(pump.elapsed(), Ms(2000));
  EXPECT_EQ(shell.opened, Strings{folder.text() + "/site"});
  EXPECT_FALSE(window.isLoaded());
  const Strings tail(observer.events.end() - 4, observer.events.end());
  EXPECT_EQ(tail, (Strings{"status2 ダウンロード総数:1 (残りの数：0 )",
                           "caption ダウンロードが完了しました(2秒後に自動で閉じます)",
                           "caption スレッドを終了しています...", "unloaded"}));
}

TEST_F(CrawlTest, OpensNoFolderWhenNotAsked) {
  options.set(Check::FolderOpen, false);
  EXPECT_EQ(crawl("http://h.test/a.gif"), CrawlOutcome::Completed);
  EXPECT_TRUE(shell.opened.empty());
}

TEST_F(CrawlTest, DecidesTypesByTheExactEndingOfTheLocalName) {
  options.set(Check::TextGet, false);
  options.set(Check::Jpeg, false);
  // Upper case is another type; .jpeg follows JpegChk; .shtml is a page, .HTM is not.
  for (const char* url : {"http://h.test/PHOTO.JPG", "http://h.test/b.jpeg", "http://h.test/c.HTM",
                          "http://h.test.com"}) {
    crawl(url);
  }
  EXPECT_TRUE(channel.requests.empty());
  channel.site["http://h.test/p.shtml"] = R"(<img src="x.png">)";
  crawl("http://h.test/p.shtml");
  EXPECT_EQ(requestedUrls(), (Strings{"http://h.test/p.shtml", "http://h.test/x.png"}));
}

TEST_F(CrawlTest, ReadsOnlyPagesThatEndLikePages) {
  // A query makes the name index.html: a page. A .php name is another type, not read.
  options.set(Check::Other, true);
  channel.site["http://h.test/list?p=1"] = R"(<img src="a.gif">)";
  channel.site["http://h.test/list.php"] = R"(<img src="b.gif">)";
  crawl("http://h.test/list?p=1");
  crawl("http://h.test/list.php");
  EXPECT_EQ(requestedUrls(),
            (Strings{"http://h.test/list?p=1", "http://h.test/a.gif", "http://h.test/list.php"}));
}

TEST_F(CrawlTest, TestsOtherTypesForBinaryContentBeforeTheRequest) {
  folder.write("site/data.bin", std::string("\x01\x00\x00\x02", 4));
  folder.write("site/notes.txt", "plain text");
  for (const char* url :
       {"http://h.test/data.bin", "http://h.test/notes.txt", "http://h.test/missing.txt"}) {
    crawl(url);
  }
  EXPECT_EQ(requestedUrls(), (Strings{"http://h.test/notes.txt", "http://h.test/missing.txt"}));
}

TEST_F(CrawlTest, NumbersFileNamesInsteadOfOverwriting) {
  options.set(Check::Renban, true);
  folder.write("site/index.html", "old");
  crawl("http://h.test/");
  folder.write("site/index(1).html", "old");
  crawl("http://h.test/");
  folder.write("site.v2/readme", "old");
  crawl("http://h.test/readme", "3", "site.v2");
  crawl("http://h.test/fresh.gif");
  EXPECT_EQ(channel.requests,
            (Strings{"http://h.test/," + folder.text() + "/site/index(1).html",
                     "http://h.test/," + folder.text() + "/site/index(2).html",
                     "http://h.test/readme," + folder.text() + "/site.v2/readme(1)",
                     "http://h.test/fresh.gif," + folder.text() + "/site/fresh.gif"}));
  EXPECT_EQ(file("site/index.html"), "old");
}

TEST_F(CrawlTest, SkipsARowWhenEveryNumberIsTaken) {
  options.set(Check::Renban, true);
  const std::filesystem::path taken = folder.write("site/a.gif", "");
  for (int n = 1; n <= 32767; ++n) {
    std::filesystem::create_hard_link(taken,
                                      taken.parent_path() / ("a(" + std::to_string(n) + ").gif"));
  }
  EXPECT_EQ(crawl("http://h.test/a.gif"), CrawlOutcome::Completed);
  EXPECT_TRUE(channel.requests.empty());
}

TEST_F(CrawlTest, SkipsLocalPathsHoldingAnEqualsSignUnlessCgiIsOn) {
  options.set(Check::CGI, false);
  crawl("http://h.test/a=b.gif");
  crawl("http://h.test/ok.gif", "3", "x=y");
  EXPECT_TRUE(channel.requests.empty());
  options.set(Check::CGI, true);
  crawl("http://h.test/a=b.gif");
  EXPECT_EQ(requestedUrls(), Strings{"http://h.test/a=b.gif"});
}

TEST_F(CrawlTest, LooksForEqualsSignsAndMailtoBelowHarvelsFolderOnly) {
  options.set(Check::CGI, false);
  folder.write("h=1 mailto:x/.keep", "");
  CrawlSession elsewhere{options, pump, channel, shell, folder.text() + "/h=1 mailto:x"};
  EXPECT_EQ(elsewhere.start(CrawlTarget{"site", "http://h.test/ok.gif", "3"}),
            CrawlOutcome::Completed);
  EXPECT_EQ(requestedUrls(), Strings{"http://h.test/ok.gif"});
  EXPECT_FALSE(exists("h=1 mailto:x/site/メールアドレス.txt"));
}

TEST_F(CrawlTest, CollectsMailAddressesWithoutRequests) {
  options.set(Check::Mail, true);
  folder.write("site/メールアドレス.txt", "old@h.test\r\n");
  channel.site[kPage] = R"(<a href="mailto:a@h.test"><a href="mailto:b@h.test">)";
  crawl(kPage, "1");
  EXPECT_EQ(file("site/メールアドレス.txt"), "a@h.test\r\nb@h.test\r\n");
  EXPECT_EQ(requestedUrls(), Strings{kPage});
  EXPECT_EQ(observer.status2.back(), "ダウンロード総数:2 (残りの数：0 )");
}

TEST_F(CrawlTest, RowsWithARefusedTitleAreSkippedWithoutWritingAnything) {
  channel.site["http://h.test/VeskDownloader"] = "not a program";
  for (const char* title : {"", ".", "..", "a\nb"})
    window.appendRow({title, "http://h.test/VeskDownloader", "0"});
  window.appendRow({"site", "http://h.test/VeskDownloader", "0"});
  EXPECT_EQ(window.SearchStart(), CrawlOutcome::Completed);
  EXPECT_EQ(channel.requests,
            Strings{"http://h.test/VeskDownloader," + folder.text() + "/site/VeskDownloader"});
  EXPECT_FALSE(exists("VeskDownloader"));
}

TEST_F(CrawlTest, ControlCharactersInAMailLinkAddNoLinesToTheMailFile) {
  options.set(Check::Mail, true);
  window.appendRow({"site", "mailto:a@h.test\r\nforged@evil.test", "0"});
  window.appendRow({"site", std::string("mailto:b@h.test\0\n\t", 18), "0"});
  EXPECT_EQ(window.SearchStart(), CrawlOutcome::Completed);
  EXPECT_EQ(file("site/メールアドレス.txt"), "a@h.testforged@evil.test\r\nb@h.test\r\n");
}

TEST_F(CrawlTest, SkipsMailRowsWhenNeitherMailNorOtherIsOn) {
  channel.site[kPage] = R"(<a href="mailto:a@h.test">)";
  crawl(kPage, "1");
  EXPECT_FALSE(exists("site/メールアドレス.txt"));
  EXPECT_EQ(observer.status2.back(), "ダウンロード総数:0 (残りの数：0 )");
}

TEST_F(CrawlTest, ScansPagesOf999LinesAndAbandonsLongerOnes) {
  channel.site["http://h.test/a.html"] = Lines(999, R"(<img src="a.gif">)");
  channel.site["http://h.test/b.html"] = Lines(1000, R"(<img src="b.gif">)");
  crawl("http://h.test/a.html");
  crawl("http://h.test/b.html");
  EXPECT_EQ(requestedUrls(),
            (Strings{"http://h.test/a.html", "http://h.test/a.gif", "http://h.test/b.html"}));
  EXPECT_FALSE(exists("site/a.html"));
  EXPECT_TRUE(exists("site/b.html"));  // never read whole, so never dropped
}

struct KeepCase {
  const char* name;
  bool htm, userSet;
  const char* userList;
  bool kept;
  int total;
};

TEST_F(CrawlTest, KeepsPagesByTheHtmlRule) {
  const KeepCase cases[] = {
      {"p1.html", false, false, "", false, 0},      {"p2.html", true, false, "", true, 1},
      {"p3.htm", false, true, "gif,jpg", false, 0}, {"p4.html", false, true, "gif,html", true, 1},
      {"p5.cgi", false, false, "", true, 1},
  };
  for (const KeepCase& c : cases) {
    options.set(Check::Htm, c.htm);
    options.set(Check::UserSet, c.userSet);
    options.setUserSetText(c.userList);
    const std::string url = std::string("http://h.test/") + c.name;
    channel.site[url] = "<p>page</p>";
    crawl(url);
    EXPECT_EQ(exists(std::string("site/") + c.name), c.kept) << c.name;
    EXPECT_EQ(observer.status2.back(),
              "ダウンロード総数:" + std::to_string(c.total) + " (残りの数：0 )")
        << c.name;
  }
}

TEST_F(CrawlTest, CountsPast32767Downloads) {
  options.set(Check::Other, true);
  for (int i = 0; i < 33000; ++i) {
    window.appendRow({"site", "mailto:m" + std::to_string(i) + "@h.test", "0"});
  }
  EXPECT_EQ(window.SearchStart(), CrawlOutcome::Completed);
  EXPECT_EQ(observer.status2.back(), "ダウンロード総数:33000 (残りの数：0 )");
}

TEST_F(CrawlTest, KeepsTheLevelWhenItsTextIsNoNumber) {
  channel.site["http://h.test/a.html"] = "";
  channel.site["http://h.test/b.html"] = R"(<img src="c.gif">)";
  window.appendRow({"site", "http://h.test/a.html", "1.5"});
  window.appendRow({"site", "http://h.test/b.html", "many"});
  window.SearchStart();
  EXPECT_EQ(observer.queued.back(), "http://h.test/c.gif 2");
}

TEST_F(CrawlTest, AppliesOptionChangesFromTheNextDecisionOn) {
  options.set(Check::PicFastDown, false);
  channel.site[kPage] = R"(<img src="a.gif"><img src="b.gif">)";
  channel.onRequest = [&](const std::string& url) {
    if (url.ends_with("a.gif"))
      options.set(Check::Gif, false);
  };
  crawl(kPage);
  EXPECT_EQ(requestedUrls(), (Strings{kPage, "http://h.test/dir/a.gif"}));
}

TEST_F(CrawlTest, PacesBySpeedLevelReadAtEveryStep) {
  crawl("http://h.test/a.gif");
  const Ms fast = pump.elapsed();
  EXPECT_LT(fast, Ms(2010));  // only the notice and the completion pause take time
  channel.onRequest = [&](const std::string&) { options.setSpeedLevel(5); };
  crawl("http://h.test/b.gif");
  // From the request on: one notice-wait step and the step after the row, then
  // the completion pause.
  const Ms slow = pump.elapsed() - fast;
  EXPECT_GT(slow, Ms(2000 + 2 * 150));
  EXPECT_LT(slow, Ms(2000 + 3 * 150));
}

TEST_F(CrawlTest, WaitsForANoticeWithoutSpinning) {
  channel.answers = false;
  pump.post(Ms(60'000), [&] { window.unload(); });
  EXPECT_EQ(crawl("http://h.test/a.gif"), CrawlOutcome::Closed);
  EXPECT_LE(pump.waits() + pump.passes(), 70);  // about one wake-up a second
}

TEST_F(CrawlTest, TakesANoticeThatArrivesWhileTheRequestIsStillBeingSent) {
  channel.answersInsideTheCall = true;
  channel.site[kPage] = R"(<img src="a.gif">)";
  channel.site["http://h.test/dir/a.gif"] = "GIF89a";
  EXPECT_EQ(crawl(kPage, "0"), CrawlOutcome::Completed);
  EXPECT_EQ(file("site/a.gif"), "GIF89a");
  EXPECT_EQ(observer.status2.back(), "ダウンロード総数:1 (残りの数：0 )");
  EXPECT_LT(pump.elapsed(), Ms(10'000));  // never waited for a notice that had come
}

TEST_F(CrawlTest, EndsWithTheChannelsMessageWhenTheDownloaderIsGone) {
  channel.failure = "VeskDownloaderに接続できません";
  EXPECT_EQ(crawl("http://h.test/a.gif"), CrawlOutcome::ChannelFailed);
  EXPECT_EQ(window.errorText(), "VeskDownloaderに接続できません");
  EXPECT_EQ(observer.status1.back(), "VeskDownloaderに接続できません");
  EXPECT_FALSE(window.isLoaded());
  EXPECT_TRUE(shell.opened.empty());
  EXPECT_LT(pump.elapsed(), Ms(2000));  // no completion pause
}

}  // namespace
}  // namespace harvel::test
