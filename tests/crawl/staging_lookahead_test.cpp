// Fetching ahead: which rows the crawl stages, that every staged copy is
// either asked for or dropped, and that the crawl's own requests and results
// stay those of a crawl that asks for one file at a time.
#include "crawl/staging_lookahead.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "crawl/crawl_context.h"
#include "crawl/crawl_state.h"
#include "crawl/row_plan.h"
#include "crawl_fixture.h"

namespace harvel::test {
namespace {

using Strings = std::vector<std::string>;
constexpr const char* kStart = "http://h.test/index.html";

class StagingTest : public CrawlTest {
 protected:
  StagingTest() {
    channel.stages = true;
    options.set(Check::Htm, true);
    channel.site[kStart] =
        R"(<img src="a.gif"><img src="b.png"><img src="c.jpg"><a href="p1.html"><a href="p2.html">)"
        R"(<a href="mailto:x@h.test"><a href="q.cgi?x=1">)";
    channel.site["http://h.test/p1.html"] = R"(<img src="d.gif"><img src="e.gif">)";
    channel.site["http://h.test/p2.html"] = R"(<img src="f.png">)";
    for (const char* name : {"a.gif", "b.png", "c.jpg", "d.gif", "e.gif", "f.png"})
      channel.site[std::string("http://h.test/") + name] = std::string("GIF89a ") + name;
  }

  std::string folderText() const { return folder.text() + "/site"; }

  // "url,folder" of each request, to compare with what was staged.
  std::set<std::string> requestKeys() const {
    std::set<std::string> keys;
    for (const std::string& url : requestedUrls())
      keys.insert(url + "," + folderText());
    return keys;
  }

  std::set<std::string> stagedKeys() const {
    std::set<std::string> keys;
    for (const std::string& entry : channel.staged)
      keys.insert(entry.substr(0, entry.rfind(' ')));
    return keys;
  }

  Strings tree() const {
    Strings names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path() / "site"))
      names.push_back(entry.path().filename().string() + "=" +
                      folder.read("site/" + entry.path().filename().string()));
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(StagingTest, StagesEveryRequestedFileAndLeavesNothingStagedAtTheEnd) {
  options.set(Check::Mail, true);
  options.set(Check::Renban, true);
  folder.write("site/a.gif", "old");  // numbered: the copy lands as a(1).gif
  ASSERT_EQ(crawl(kStart, "1"), CrawlOutcome::Completed);

  const Strings withStaging = channel.requests;
  const Strings files = tree();
  // Every file asked for was staged first, with the default number of jobs,
  // and nothing was staged that was not asked for or dropped again.
  std::set<std::string> staged = stagedKeys();
  for (const std::string& key : requestKeys())
    EXPECT_EQ(staged.count(key), 1u) << key;
  EXPECT_TRUE(std::all_of(channel.staged.begin(), channel.staged.end(),
                          [](const std::string& entry) { return entry.ends_with(" 6"); }));
  std::set<std::string> dropped(channel.unstaged.begin(), channel.unstaged.end());
  for (const std::string& key : staged)
    EXPECT_TRUE(requestKeys().count(key) + dropped.count(key) == 1) << key;
  // Mail rows and filtered rows are never staged.
  for (const std::string& key : staged) {
    EXPECT_EQ(key.find("mailto:"), std::string::npos);
    EXPECT_EQ(key.find("q.cgi"), std::string::npos);
  }

  // The same crawl asking for one file at a time makes the same requests and files.
  std::filesystem::remove_all(folder.path() / "site");
  folder.write("site/a.gif", "old");
  channel.requests.clear();
  options.setJobs(1);
  channel.staged.clear();
  ASSERT_EQ(crawl(kStart, "1"), CrawlOutcome::Completed);
  EXPECT_TRUE(channel.staged.empty());
  EXPECT_EQ(channel.requests, withStaging);
  EXPECT_EQ(tree(), files);
  EXPECT_EQ(files.front(), "a(1).gif=GIF89a a.gif");
}

TEST_F(StagingTest, AnOptionTurnedOffDuringTheCrawlDropsTheRowsStagedForIt) {
  // GifChk goes off once the start page's links are queued: a.gif was staged
  // under the old options, is never asked for, and its copy is dropped.
  observer.onInsert = [this] {
    if (observer.queued.size() == 5)
      options.set(Check::Gif, false);
  };
  ASSERT_EQ(crawl(kStart, "1"), CrawlOutcome::Completed);
  const Strings urls = requestedUrls();
  EXPECT_EQ(std::count(urls.begin(), urls.end(), "http://h.test/a.gif"), 0);
  EXPECT_FALSE(exists("site/a.gif"));
  std::set<std::string> staged = stagedKeys();
  std::set<std::string> dropped(channel.unstaged.begin(), channel.unstaged.end());
  for (const std::string& key : staged)
    EXPECT_TRUE(requestKeys().count(key) + dropped.count(key) == 1) << key;
  EXPECT_EQ(dropped.count("http://h.test/b.png," + folderText()), 0u);
}

TEST_F(StagingTest, StagesNothingWhenPacedOrAskedForOneAtATimeOrWithoutTheCapability) {
  const auto crawlAfresh = [this] {
    std::filesystem::remove_all(folder.path() / "site");
    channel.requests.clear();
    crawl(kStart, "1");
    return channel.requests;
  };
  options.setSpeedLevel(1);
  const Strings paced = crawlAfresh();
  options.setSpeedLevel(0);
  options.setJobs(1);
  EXPECT_EQ(crawlAfresh(), paced);
  options.setJobs(6);
  channel.stages = false;
  EXPECT_EQ(crawlAfresh(), paced);
  EXPECT_TRUE(channel.staged.empty());
  EXPECT_GT(paced.size(), 4u);
}

TEST_F(StagingTest, ClosingTheWindowDropsEveryCopyNotAskedFor) {
  channel.onRequest = [this](const std::string& url) {
    if (url == "http://h.test/b.png")
      window.unload();
  };
  EXPECT_EQ(crawl(kStart, "1"), CrawlOutcome::Closed);
  std::set<std::string> staged = stagedKeys();
  std::set<std::string> dropped(channel.unstaged.begin(), channel.unstaged.end());
  EXPECT_FALSE(dropped.empty());
  for (const std::string& key : staged)
    EXPECT_TRUE(requestKeys().count(key) + dropped.count(key) == 1) << key;
}

// Pages read ahead: the pictures of a page whose staged copy has landed are
// staged before the crawl reaches the page, and the crawl sees nothing of it.
TEST_F(StagingTest, APageLandedAheadHasItsPicturesStagedBeforeTheCrawlReachesIt) {
  const auto crawlAfresh = [this](bool tells) {
    std::filesystem::remove_all(folder.path() / "site");
    channel.requests.clear();
    channel.staged.clear();
    channel.copiesUnused = 0;
    channel.tells = tells;
    observer.events.clear();
    Strings stagedAtP1;
    channel.onRequest = [&](const std::string& url) {
      if (url == "http://h.test/p1.html")
        stagedAtP1 = channel.staged;
    };
    EXPECT_EQ(crawl(kStart, "1"), CrawlOutcome::Completed);
    EXPECT_EQ(channel.copiesUnused, 0);
    EXPECT_TRUE(channel.copyFiles.empty());
    return std::make_tuple(stagedAtP1, channel.requests, observer.events, tree());
  };
  const auto [staged, requests, events, files] = crawlAfresh(true);
  const std::string d = "http://h.test/d.gif," + folderText() + " 6";
  EXPECT_EQ(std::count(staged.begin(), staged.end(), d), 1);
  const auto [stagedBefore, requestsBefore, eventsBefore, filesBefore] = crawlAfresh(false);
  EXPECT_EQ(std::count(stagedBefore.begin(), stagedBefore.end(), d), 0);
  // Everything the crawl did and reported is what it is without reading ahead.
  EXPECT_EQ(requests, requestsBefore);
  EXPECT_EQ(events, eventsBefore);
  EXPECT_EQ(files, filesBefore);
}

TEST_F(StagingTest, APictureWithoutAnEndingPredictedAheadIsStagedWithTheMinimumItIsAskedWith) {
  options.set(Check::ModernPages, true);
  options.setMinimumPicture(PictureSize{8, 8});
  channel.tells = true;
  channel.site["http://h.test/p1.html"] = R"(<img src="pic.php?id=1">)";
  channel.site["http://h.test/pic.php?id=1"] = "\x89PNG\r\n\x1A\n picture";
  channel.contentTypes["http://h.test/pic.php?id=1"] = "image/png";
  ASSERT_EQ(crawl(kStart, "1"), CrawlOutcome::Completed);
  const Strings urls = requestedUrls();
  EXPECT_EQ(std::count(urls.begin(), urls.end(), "http://h.test/pic.php?id=1"), 1);
  EXPECT_EQ(channel.copiesUnused, 0);  // staged as it was asked for, minimum included
  EXPECT_EQ(channel.requestsWithout, 0);
}

TEST_F(StagingTest, RowsPredictedFromAPageAreDroppedWhenAnOptionChangesBeforeItIsRead) {
  channel.tells = true;
  channel.onRequest = [this](const std::string& url) {
    if (url == "http://h.test/p1.html")
      options.set(Check::Gif, false);
  };
  ASSERT_EQ(crawl(kStart, "1"), CrawlOutcome::Completed);
  const std::string d = "http://h.test/d.gif," + folderText();
  EXPECT_EQ(std::count(channel.staged.begin(), channel.staged.end(), d + " 6"), 1);
  EXPECT_EQ(std::count(channel.unstaged.begin(), channel.unstaged.end(), d), 1);
  const Strings urls = requestedUrls();
  EXPECT_EQ(std::count(urls.begin(), urls.end(), "http://h.test/d.gif"), 0);
  EXPECT_TRUE(channel.held.empty());
  EXPECT_TRUE(channel.copyFiles.empty());
}

TEST_F(StagingTest, APageThatChangedAfterItWasReadAheadIsReadAsTheCrawlGetsIt) {
  channel.tells = true;
  channel.site["http://h.test/x.gif"] = "GIF89a x";
  channel.onRequest = [this](const std::string& url) {
    if (url == "http://h.test/p1.html")
      channel.site[url] = R"(<img src="x.gif">)";
  };
  ASSERT_EQ(crawl(kStart, "1"), CrawlOutcome::Completed);
  const Strings urls = requestedUrls();
  EXPECT_EQ(std::count(urls.begin(), urls.end(), "http://h.test/x.gif"), 1);
  EXPECT_EQ(std::count(urls.begin(), urls.end(), "http://h.test/d.gif"), 0);
  EXPECT_TRUE(exists("site/x.gif"));
  EXPECT_FALSE(exists("site/d.gif"));
  EXPECT_EQ(channel.copiesUnused, 2);  // d.gif and e.gif, staged from the old page
  EXPECT_TRUE(channel.held.empty());
}

// The rows at the top are looked at once each, as the list changes under the
// lookahead: a row put in among them is staged, a row that could not be staged
// is looked at again, and nothing is staged twice.
TEST_F(StagingTest, FollowsTheListThroughRowsPutInAndTakenOut) {
  options.setJobs(2);  // 8 rows ahead
  CrawlContext context(options, pump, channel, shell, folder.text());
  context.load();
  CrawlState& state = *context.state;
  const auto url = [](const std::string& name) { return "http://h.test/" + name; };
  for (int i = 0; i < 30; ++i)
    context.insertRow(state, state.rows.size(),
                      CrawlTarget{"site", url(std::to_string(i) + ".jpg"), "0"});
  context.insertRow(state, 3, CrawlTarget{"site", url("late.gif"), "0"});
  options.set(Check::Gif, false);
  std::filesystem::create_directories(folder.path() / "site");
  StagingLookahead lookahead(context);
  const auto stagedUrls = [&] {
    std::multiset<std::string> urls;
    for (const std::string& entry : channel.staged)
      urls.insert(entry.substr(0, entry.find(',')));
    return urls;
  };
  const auto handleRow = [&] {
    lookahead.beforeRow(state, nullptr);
    lookahead.requested(state.rows.front().url, folderText());
    context.removeFirstRow(state);
  };
  handleRow();
  EXPECT_EQ(stagedUrls().count(url("1.jpg")), 1u);
  EXPECT_EQ(stagedUrls().count(url("6.jpg")), 1u);
  EXPECT_EQ(stagedUrls().count(url("7.jpg")), 0u);  // past the rows ahead
  EXPECT_EQ(stagedUrls().count(url("late.gif")), 0u);

  // Pictures put right behind row 1, and a GIF wanted from now on.
  context.insertRow(state, 1, CrawlTarget{"site", url("put-in-a.png"), "0"});
  context.insertRow(state, 1, CrawlTarget{"site", url("put-in-b.png"), "0"});
  options.set(Check::Gif, true);
  handleRow();
  EXPECT_EQ(stagedUrls().count(url("put-in-a.png")), 1u);
  EXPECT_EQ(stagedUrls().count(url("put-in-b.png")), 1u);
  EXPECT_EQ(stagedUrls().count(url("late.gif")), 1u);

  while (!state.rows.empty()) {
    handleRow();
    EXPECT_LE(lookahead.stagedCount(), 16u);
  }
  for (int i = 1; i < 30; ++i)
    EXPECT_EQ(stagedUrls().count(url(std::to_string(i) + ".jpg")), 1u) << i;
  EXPECT_EQ(channel.staged.size(), 32u);  // every row but the first, once
  EXPECT_TRUE(channel.unstaged.empty());
}

TEST_F(StagingTest, PredictsWithTheDriversDecisions) {
  CrawlContext context(options, pump, channel, shell, folder.text());
  options.set(Check::TextGet, false);
  options.set(Check::Other, false);
  options.set(Check::CGI, false);
  const auto would = [&](const std::string& url, const std::string& title = "site") {
    return PlanRow(context, CrawlState{}, CrawlTarget{title, url, "1"}, "").action ==
           RowAction::Request;
  };
  EXPECT_TRUE(would("http://h.test/a.gif"));
  EXPECT_TRUE(would("http://h.test/page.htm"));
  EXPECT_FALSE(would("http://h.test/a.GIF"));  // another type; OtherChk is off
  EXPECT_FALSE(would("http://h.test/q.cgi"));  // CGIChk off
  EXPECT_FALSE(would("mailto:x@h.test"));
  EXPECT_FALSE(would("http://h.test/a.gif", "../up"));
  options.set(Check::CGI, true);
  EXPECT_TRUE(would("http://h.test/q.cgi"));
  options.set(Check::Gif, false);
  EXPECT_FALSE(would("http://h.test/a.gif"));
}

}  // namespace
}  // namespace harvel::test
