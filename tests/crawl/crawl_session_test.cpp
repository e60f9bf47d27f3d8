// The crawl window's lifecycle: load, start, unload, and closing during a crawl.
#include <gtest/gtest.h>

#include <filesystem>
#include <utility>

#include "crawl/crawl_state.h"
#include "crawl_fixture.h"

namespace harvel::test {
namespace {

using Strings = std::vector<std::string>;
using Ms = std::chrono::milliseconds;
constexpr const char* kPage = "http://h.test/dir/page.html";

TEST_F(CrawlTest, LoadsAFreshState) {
  window.load();
  ASSERT_TRUE(window.isLoaded());
  EXPECT_EQ(window.caption(), "巡回中・・・");
  EXPECT_EQ(window.statusText(1), "Harvel");
  EXPECT_EQ(window.statusText(2), "");
  EXPECT_TRUE(state().rows.empty());
  EXPECT_EQ(state().DownCnt, 0);
  EXPECT_EQ(state().mailbox->text, "");
  EXPECT_EQ(state().visited.URLBuf(), Strings(101));
  EXPECT_EQ(state().visited.URLBufMax(), 100u);
  EXPECT_EQ(state().visited.URLBufCnt(), 0u);
  EXPECT_EQ(window.userExt(), std::nullopt);  // UserSetChk is off
}

TEST_F(CrawlTest, TakesTheSuffixListOnlyAtALoadWithUserSetOn) {
  options.set(Check::UserSet, true);
  window.load();
  EXPECT_EQ(window.userExt(), (Strings{"gif", "jpg", "jpeg", "png"}));
  window.unload();
  options.set(Check::UserSet, false);
  options.setUserSetText("pdf,");
  window.load();
  EXPECT_EQ(window.userExt(), (Strings{"gif", "jpg", "jpeg", "png"}));  // left as it was
  window.unload();
  options.setValue(Check::UserSet, 2);  // only exactly 1 counts as on
  window.load();
  EXPECT_EQ(window.userExt(), (Strings{"gif", "jpg", "jpeg", "png"}));
}

TEST_F(CrawlTest, MakesTargetFoldersInsideHarvelsFolder) {
  CrawlSession slashed(options, pump, channel, shell, folder.text() + "//");
  EXPECT_EQ(slashed.start({"サイト", "http://h.test/a.gif", "0"}), CrawlOutcome::Completed);
  EXPECT_EQ(channel.requests, Strings{"http://h.test/a.gif," + folder.text() + "/サイト/a.gif"});
  EXPECT_TRUE(std::filesystem::is_directory(folder.path() / u8"サイト"));
}

TEST_F(CrawlTest, StartsAFreshBufferForEachCrawl) {
  channel.site[kPage] = R"(<img src="a.gif">)";
  crawl(kPage);
  crawl(kPage);
  EXPECT_EQ(requestedUrls(),
            (Strings{kPage, "http://h.test/dir/a.gif", kPage, "http://h.test/dir/a.gif"}));
}

TEST_F(CrawlTest, RefusesTitlesLeadingOutOfHarvelsFolder) {
  for (const char* title : {"..", "../up", "a/b", "/tmp/abs", "a\\b", "", ".", "a\r\nb"}) {
    EXPECT_EQ(crawl("http://h.test/a.gif", "1", title), CrawlOutcome::TitleRefused) << title;
    EXPECT_NE(window.errorText().find(title), std::string::npos);
    EXPECT_FALSE(window.isLoaded());
  }
  EXPECT_TRUE(channel.requests.empty());
  EXPECT_TRUE(observer.events.empty());
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST_F(CrawlTest, AStartDuringACrawlJoinsTheRunningList) {
  options.set(Check::Mail, true);
  folder.write("other/メールアドレス.txt", "old");
  CrawlOutcome second = CrawlOutcome::Completed;
  channel.site[kPage] = R"(<img src="a.gif">)";
  channel.onRequest = [&](const std::string& url) {
    if (url == kPage)
      second = crawl("http://h.test/b.gif", "0", "other");
  };
  EXPECT_EQ(crawl(kPage), CrawlOutcome::Completed);
  EXPECT_EQ(second, CrawlOutcome::AlreadyRunning);
  EXPECT_FALSE(exists("other/メールアドレス.txt"));
  EXPECT_EQ(channel.requests.back(), "http://h.test/b.gif," + folder.text() + "/other/b.gif");
  EXPECT_EQ(requestedUrls().size(), 3u);
}

TEST_F(CrawlTest, APauseHoldsTheNextRequestUntilResumedAndTheRequestUnderWayFinishes) {
  channel.site[kPage] = R"(<img src="a.gif"><img src="b.gif">)";
  std::size_t requestsAtResume = 0;
  channel.onRequest = [&](const std::string& url) {
    if (url != kPage)
      return;
    window.setPaused(true);  // while the page is under way
    EXPECT_TRUE(window.isPaused());
    pump.post(Ms(10000), [&] {
      requestsAtResume = channel.requests.size();
      window.setPaused(false);
    });
  };
  EXPECT_EQ(crawl(kPage, "1"), CrawlOutcome::Completed);
  EXPECT_EQ(requestsAtResume, 1u);        // the page finished; nothing more was asked for
  EXPECT_EQ(requestedUrls().size(), 3u);  // then the two pictures
  EXPECT_GE(pump.elapsed(), Ms(10000));

  // A paused crawl still ends when its window is closed, and the next one starts unpaused.
  channel.onRequest = [&](const std::string&) {
    window.setPaused(true);
    pump.post(Ms(1000), [&] { window.unload(); });
  };
  EXPECT_EQ(crawl(kPage, "1"), CrawlOutcome::Closed);
  EXPECT_EQ(requestedUrls().size(), 4u);
  channel.onRequest = nullptr;
  window.load();
  EXPECT_FALSE(window.isPaused());
}

TEST_F(CrawlTest, ClosingDuringTheNoticeWaitEndsTheCrawl) {
  channel.site[kPage] = R"(<img src="a.gif">)";
  channel.answers = false;
  pump.post(Ms(500), [&] { window.unload(); });
  EXPECT_EQ(crawl(kPage), CrawlOutcome::Closed);
  EXPECT_EQ(requestedUrls(), Strings{kPage});
  EXPECT_EQ(window.caption(), "スレッドを終了しています...");
  EXPECT_FALSE(window.isLoaded());
  EXPECT_TRUE(shell.opened.empty());
  EXPECT_EQ(observer.events.back(), "unloaded");
}

TEST_F(CrawlTest, ClosingDuringAScanQueuesNoFurtherLink) {
  options.set(Check::PicFastDown, false);
  channel.site[kPage] = R"(<img src="a.gif"><img src="b.gif"><img src="c.gif">)";
  observer.onInsert = [&] { pump.post(Ms(0), [&] { window.unload(); }); };
  EXPECT_EQ(crawl(kPage), CrawlOutcome::Closed);
  EXPECT_EQ(observer.queued, Strings{"http://h.test/dir/a.gif 3"});
  EXPECT_EQ(requestedUrls(), Strings{kPage});
  EXPECT_TRUE(exists("site/page.html"));  // the crawl stopped before the keep rule
}

TEST_F(CrawlTest, ClosingDuringTheCompletionPauseOpensNoFolder) {
  observer.onCaption = [&](const std::string& caption) {
    if (caption == CrawlSession::kCaptionCompleted)
      pump.post(Ms(1000), [&] { window.unload(); });
  };
  EXPECT_EQ(crawl("http://h.test/a.gif"), CrawlOutcome::Closed);
  EXPECT_TRUE(shell.opened.empty());
}

TEST_F(CrawlTest, AStartDuringTheCompletionPauseIsCrawledBeforeClosing) {
  CrawlOutcome second = CrawlOutcome::Completed;
  bool started = false;
  observer.onCaption = [&](const std::string& caption) {
    if (caption != CrawlSession::kCaptionCompleted || std::exchange(started, true))
      return;
    pump.post(Ms(1000), [&] { second = crawl("http://h.test/b.gif", "0", "second"); });
  };
  EXPECT_EQ(crawl("http://h.test/a.gif"), CrawlOutcome::Completed);
  EXPECT_EQ(second, CrawlOutcome::AlreadyRunning);
  EXPECT_EQ(requestedUrls(), (Strings{"http://h.test/a.gif", "http://h.test/b.gif"}));
  EXPECT_EQ(shell.opened, Strings{folder.text() + "/second"});
  EXPECT_GT(pump.elapsed(), Ms(2 * 2000));
}

TEST_F(CrawlTest, ARowWhoseTitleLeadsOutOfHarvelsFolderAsksForNothingAndOpensNoFolderThere) {
  channel.site["http://h.test/a.gif"] = "GIF89a";
  channel.site["http://h.test/b.gif"] = "GIF89a";
  window.appendRow(CrawlTarget{"site", "http://h.test/a.gif", "0"});
  window.appendRow(CrawlTarget{"../up", "http://h.test/b.gif", "0"});
  EXPECT_EQ(window.SearchStart(), CrawlOutcome::Completed);
  EXPECT_EQ(requestedUrls(), Strings{"http://h.test/a.gif"});
  EXPECT_EQ(shell.opened, Strings{folder.text() + "/site"});  // the last folder made
  EXPECT_FALSE(std::filesystem::exists(folder.path().parent_path() / "up"));
}

TEST_F(CrawlTest, ACompletionPauseOfZeroShowsTheCaptionAndUnloadsAtOnce) {
  window.setCompletionPauseMs(0);
  EXPECT_EQ(crawl("http://h.test/a.gif"), CrawlOutcome::Completed);
  EXPECT_LT(pump.elapsed(), Ms(100));  // the notice's own delay only
  const Strings tail(observer.events.end() - 3, observer.events.end());
  EXPECT_EQ(tail, (Strings{"caption ダウンロードが完了しました(2秒後に自動で閉じます)",
                           "caption スレッドを終了しています...", "unloaded"}));
  EXPECT_EQ(shell.opened, Strings{folder.text() + "/site"});
  EXPECT_FALSE(window.isLoaded());
}

TEST_F(CrawlTest, ACompletionPauseOfZeroStillTakesAStartMadeMeanwhile) {
  window.setCompletionPauseMs(0);
  CrawlOutcome second = CrawlOutcome::Completed;
  bool started = false;
  observer.onCaption = [&](const std::string& caption) {
    if (caption != CrawlSession::kCaptionCompleted || std::exchange(started, true))
      return;
    pump.post(Ms(0), [&] { second = crawl("http://h.test/b.gif", "0", "second"); });
  };
  EXPECT_EQ(crawl("http://h.test/a.gif"), CrawlOutcome::Completed);
  EXPECT_EQ(second, CrawlOutcome::AlreadyRunning);
  EXPECT_EQ(requestedUrls(), (Strings{"http://h.test/a.gif", "http://h.test/b.gif"}));
}

TEST_F(CrawlTest, TheCompletionPauseIsTheOneSet) {
  window.setCompletionPauseMs(500);
  crawl("http://h.test/a.gif");
  EXPECT_GT(pump.elapsed(), Ms(500));
  EXPECT_LT(pump.elapsed(), Ms(600));
}

TEST_F(CrawlTest, DropsANoticeThatComesAfterTheWindowClosed) {
  channel.onRequest = [&](const std::string&) { window.unload(); };
  EXPECT_EQ(crawl("http://h.test/a.gif"), CrawlOutcome::Closed);
  channel.onRequest = nullptr;
  pump.waitForEvents(Ms(100));  // the notice comes, finds no mailbox
  EXPECT_EQ(channel.notices, 1);
  channel.site["http://h.test/b.gif"] = "GIF89a";
  EXPECT_EQ(crawl("http://h.test/b.gif"), CrawlOutcome::Completed);
  EXPECT_EQ(observer.status2.back(), "ダウンロード総数:1 (残りの数：0 )");
}

TEST_F(CrawlTest, ANewCrawlAfterClosingRunsToItsEndInsideTheOldOnesWait) {
  channel.answers = false;
  CrawlOutcome inner = CrawlOutcome::Closed;
  pump.post(Ms(100), [&] {
    window.unload();
    channel.answers = true;
    inner = crawl("http://h.test/b.gif", "0", "second");
  });
  EXPECT_EQ(crawl("http://h.test/a.gif"), CrawlOutcome::Closed);
  EXPECT_EQ(inner, CrawlOutcome::Completed);
  EXPECT_EQ(requestedUrls(), (Strings{"http://h.test/a.gif", "http://h.test/b.gif"}));
  EXPECT_EQ(shell.opened, Strings{folder.text() + "/second"});
  EXPECT_FALSE(window.isLoaded());
}

}  // namespace
}  // namespace harvel::test
