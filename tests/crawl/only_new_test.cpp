// The only-new option over the real record of the title's folder: what a
// second crawl asks for, what it counts as collected already, a file kept
// once, fetching ahead, and a record that cannot be used.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "crawl_fixture.h"
#include "record/recorded_folders.h"

namespace harvel::test {
namespace {

using Strings = std::vector<std::string>;
constexpr const char* kStart = "http://h.test/index.html";

class OnlyNewTest : public CrawlTest {
 protected:
  OnlyNewTest() {
    window.setCollectedFiles(&records);
    options.setOnlyNew(true);
    options.set(Check::Htm, true);
    site(kStart, R"(<img src="a.gif"><img src="b.gif"><a href="sub.html">)", "\"i1\"");
    site("http://h.test/sub.html", R"(<img src="c.gif">)", "\"s1\"");
    for (const char* name : {"a.gif", "b.gif", "c.gif", "d.gif"})
      channel.site[std::string("http://h.test/") + name] = std::string("GIF89a ") + name;
  }

  void site(const std::string& url, const std::string& body, const std::string& etag) {
    channel.site[url] = body;
    channel.etags[url] = etag;
  }

  // What the next crawl asks for and reports, from a clean slate.
  CrawlOutcome again() {
    channel.requests.clear();
    channel.conditional.clear();
    observer.records.clear();
    return crawl(kStart);
  }

  Strings pictureRequests() const {
    Strings pictures;
    for (const std::string& url : requestedUrls()) {
      if (url.ends_with(".gif"))
        pictures.push_back(url);
    }
    return pictures;
  }

  // "url name" of each row counted as collected already, sorted.
  Strings collected() const {
    Strings urls;
    for (const RequestRecord& record : observer.records) {
      if (record.outcome.alreadyCollected)
        urls.push_back(record.url + " " + record.path.substr(record.path.rfind('/') + 1));
    }
    std::sort(urls.begin(), urls.end());
    return urls;
  }

  RecordedFolders records;
};

class OnlyNewReaders : public OnlyNewTest, public ::testing::WithParamInterface<bool> {
 protected:
  OnlyNewReaders() { options.set(Check::ModernPages, GetParam()); }
};

TEST_P(OnlyNewReaders, ASecondCrawlAsksPagesConditionallyAndBringsOnlyWhatIsNew) {
  ASSERT_EQ(crawl(kStart), CrawlOutcome::Completed);
  EXPECT_EQ(pictureRequests().size(), 3u);
  EXPECT_TRUE(channel.conditional.empty());

  // Unchanged, with a picture the user deleted: no picture is asked for, the
  // pages are asked with their validators and give their recorded links.
  std::filesystem::remove(folder.path() / "site/b.gif");
  ASSERT_EQ(again(), CrawlOutcome::Completed);
  EXPECT_EQ(channel.conditional, (Strings{kStart, "http://h.test/sub.html"}));
  EXPECT_TRUE(pictureRequests().empty());
  EXPECT_EQ(collected(), (Strings{"http://h.test/a.gif a.gif", "http://h.test/b.gif b.gif",
                                  "http://h.test/c.gif c.gif"}));
  EXPECT_FALSE(exists("site/b.gif"));
  for (const RequestRecord& record : observer.records)
    EXPECT_FALSE(record.outcome.failed()) << record.url;

  // A page deep in the site grew a picture: only that one is fetched.
  site("http://h.test/sub.html", R"(<img src="c.gif"><img src="d.gif">)", "\"s2\"");
  ASSERT_EQ(again(), CrawlOutcome::Completed);
  EXPECT_EQ(pictureRequests(), (Strings{"http://h.test/d.gif"}));
  EXPECT_EQ(file("site/d.gif"), "GIF89a d.gif");

  // Read the other way, a page's recorded links do not count: it is asked
  // for in full once.
  options.set(Check::ModernPages, !GetParam());
  ASSERT_EQ(again(), CrawlOutcome::Completed);
  EXPECT_TRUE(channel.conditional.empty());
  EXPECT_TRUE(pictureRequests().empty());
  ASSERT_EQ(again(), CrawlOutcome::Completed);
  EXPECT_EQ(channel.conditional.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Readers, OnlyNewReaders, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& reader) {
                           return reader.param ? "modern" : "scan";
                         });

TEST_F(OnlyNewTest, APictureIsKeptOnceWhateverItsUrlOrName) {
  // The same bytes under a second URL; and c.gif already in the folder from a
  // crawl that was cut off before it could record it.
  site(kStart, R"(<img src="a.gif"><img src="x/a2.gif"><img src="c.gif">)", "\"i1\"");
  channel.site["http://h.test/x/a2.gif"] = "GIF89a a.gif";
  folder.write("site/c.gif", "GIF89a c.gif");
  options.set(Check::Renban, true);
  options.set(Check::PicFastDown, false);  // the pictures in the page's order

  ASSERT_EQ(crawl(kStart), CrawlOutcome::Completed);
  EXPECT_EQ(collected(), (Strings{"http://h.test/c.gif c.gif", "http://h.test/x/a2.gif a.gif"}));
  EXPECT_FALSE(exists("site/a2.gif"));
  EXPECT_FALSE(exists("site/c(1).gif"));
  EXPECT_EQ(file("site/c.gif"), "GIF89a c.gif");
  EXPECT_EQ(observer.status2.back(), "ダウンロード総数:2 (残りの数：0 )");  // the page and a.gif

  ASSERT_EQ(again(), CrawlOutcome::Completed);
  EXPECT_TRUE(pictureRequests().empty());
  EXPECT_EQ(collected().size(), 3u);
}

TEST_F(OnlyNewTest, NothingTheRecordKnowsIsFetchedAhead) {
  channel.stages = true;
  options.setSpeedLevel(0);
  options.setJobs(4);
  ASSERT_EQ(crawl(kStart), CrawlOutcome::Completed);
  ASSERT_FALSE(channel.staged.empty());
  channel.staged.clear();
  site("http://h.test/sub.html", R"(<img src="c.gif"><img src="d.gif">)", "\"s2\"");
  ASSERT_EQ(again(), CrawlOutcome::Completed);
  EXPECT_EQ(channel.staged, (Strings{"http://h.test/d.gif," + folder.text() + "/site 4"}));
}

TEST_F(OnlyNewTest, KnownPagesAreFetchedAheadConditionallyAndChangeNothing) {
  // Two crawls of an unchanged site into a title: what the second reports,
  // its counts and the record it leaves.
  const auto twice = [&](const std::string& title) {
    EXPECT_EQ(crawl(kStart, "3", title), CrawlOutcome::Completed);
    channel.copiesUsed = channel.requestsWithout = 0;
    channel.conditional.clear();
    observer.records.clear();
    EXPECT_EQ(crawl(kStart, "3", title), CrawlOutcome::Completed);
    Strings seen{observer.status2.back()};
    for (const RequestRecord& record : observer.records) {
      seen.push_back(record.url + " " + record.path.substr(record.path.rfind('/') + 1) + " " +
                     (record.outcome.notModified        ? "not-modified"
                      : record.outcome.alreadyCollected ? "collected"
                                                        : FailureReasonText(record.outcome)));
    }
    const std::string titleFolder = folder.text() + "/" + title;
    records.open(titleFolder);
    for (const char* name : {"index.html", "sub.html", "a.gif", "b.gif", "c.gif"}) {
      const KnownUrl known = records.lookup(titleFolder, std::string("http://h.test/") + name);
      seen.push_back(std::to_string(static_cast<int>(known.kind)) + " " + known.localName + " " +
                     known.etag);
    }
    return seen;
  };
  const Strings oneJob = twice("one");

  channel.stages = channel.tells = channel.conditionalStages = true;
  options.setSpeedLevel(0);
  options.setJobs(4);
  // What is on its way when the start page is asked for.
  std::map<std::string, std::string> ahead;
  channel.onRequest = [&](const std::string& url) {
    if (url == kStart)
      ahead = channel.held;
  };
  EXPECT_EQ(twice("ahead"), oneJob);
  // The page below the start page, predicted from the start page's recorded
  // links, was staged with its own validators before the start page's
  // answer came; both requests were answered from their copies.
  const std::string sub = "http://h.test/sub.html," + folder.text() + "/ahead";
  ASSERT_EQ(ahead.count(sub), 1u);
  EXPECT_TRUE(ahead[sub].ends_with(" \"s1\"")) << ahead[sub];
  EXPECT_EQ(channel.copiesUsed, 2);
  EXPECT_EQ(channel.requestsWithout, 0);
  EXPECT_EQ(channel.conditional, (Strings{kStart, "http://h.test/sub.html"}));
}

TEST_F(OnlyNewTest, ARecordIsKeptOnlyWithTheOptionAndNeverUsedWhenItCannotBe) {
  options.setOnlyNew(false);
  ASSERT_EQ(crawl(kStart), CrawlOutcome::Completed);
  EXPECT_FALSE(exists("site/.harvel"));

  // A damaged record is moved aside and said so; the crawl goes on.
  options.setOnlyNew(true);
  folder.write("site/.harvel/record.db", "damaged");
  std::vector<RecordStatus> restarted;
  struct : RecordingObserver {
    std::vector<RecordStatus>* seen;
    void recordRestarted(const RecordStatus& status) override { seen->push_back(status); }
  } watching;
  watching.seen = &restarted;
  window.setObserver(&watching);
  ASSERT_EQ(again(), CrawlOutcome::Completed);
  ASSERT_EQ(restarted.size(), 1u);
  EXPECT_EQ(restarted[0].problem, "corrupt");
  EXPECT_EQ(ReadFile(restarted[0].setAsidePath), "damaged");

  // One that cannot be written stops the crawl before anything is asked for.
  std::filesystem::remove_all(folder.path() / "site/.harvel");
  folder.write("site/.harvel", "a file of the user's");
  channel.requests.clear();
  EXPECT_EQ(crawl(kStart), CrawlOutcome::RecordUnusable);
  EXPECT_TRUE(channel.requests.empty());
  EXPECT_FALSE(window.isLoaded());
  EXPECT_NE(window.errorText().find("取得記録を使えない"), std::string::npos);
  EXPECT_EQ(file("site/.harvel"), "a file of the user's");
}

}  // namespace
}  // namespace harvel::test
