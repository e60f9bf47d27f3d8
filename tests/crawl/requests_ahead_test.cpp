// Requests sent ahead of the crawl: while a picture's notice is awaited the
// requests of the pictures after it go out, and everything the crawl does and
// reports is what it is when every request waits for the notice before it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "crawl_fixture.h"

namespace harvel::test {
namespace {

using Strings = std::vector<std::string>;
constexpr const char* kStart = "http://h.test/index.html";

class RequestsAheadTest : public CrawlTest {
 protected:
  RequestsAheadTest() {
    options.set(Check::Htm, true);
    options.set(Check::Mail, true);
    std::string start;
    for (int i = 0; i < 12; ++i) {
      const std::string name = "p" + std::to_string(i) + ".gif";
      start += "<img src=\"" + name + "\">";
      channel.site["http://h.test/" + name] = "GIF89a " + name;
    }
    // A page among the pictures, a file whose name another one has, a
    // missing picture, a mail row and one the "=" filter leaves out.
    start += R"(<a href="sub/index.html"><img src="gone.gif"><a href="mailto:x@h.test">)"
             R"(<img src="q.gif?x=1"><img src="p13.gif">)";
    channel.site[kStart] = start;
    channel.site["http://h.test/p13.gif"] = "GIF89a p13.gif";
    channel.site["http://h.test/sub/index.html"] = R"(<img src="p1.gif"><img src="s.gif">)";
    channel.site["http://h.test/sub/p1.gif"] = "GIF89a sub p1";
    channel.site["http://h.test/sub/s.gif"] = "GIF89a s";
  }

  struct Seen {
    Strings requests, events, status1, status2, records, files;
    bool operator==(const Seen&) const = default;
  };

  Seen crawlAfresh(bool ahead) {
    std::filesystem::remove_all(folder.path() / "site");
    channel.ahead = ahead;
    channel.requests.clear();
    channel.unansweredAtRequest.clear();
    observer.events.clear();
    observer.status1.clear();
    observer.status2.clear();
    observer.records.clear();
    EXPECT_EQ(crawl(kStart, "2"), CrawlOutcome::Completed);
    Seen seen{channel.requests, observer.events, observer.status1, observer.status2, {}, {}};
    for (const RequestRecord& record : observer.records)
      seen.records.push_back(record.url + " " + record.path + " " +
                             FailureReasonText(record.outcome));
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path() / "site"))
      if (entry.is_regular_file())
        seen.files.push_back(
            entry.path().filename().string() + "=" +
            folder.read(std::filesystem::relative(entry.path(), folder.path()).string()));
    std::sort(seen.files.begin(), seen.files.end());
    return seen;
  }
};

TEST_F(RequestsAheadTest, PicturesGoAheadAndTheCrawlIsThatOfOneRequestAtATime) {
  for (const bool modern : {false, true}) {
    for (const int jobs : {1, 6}) {
      SCOPED_TRACE(std::to_string(jobs) + (modern ? " jobs, modern pages" : " jobs"));
      options.set(Check::ModernPages, modern);
      options.setJobs(jobs);
      const Seen serial = crawlAfresh(false);
      EXPECT_TRUE(std::all_of(channel.unansweredAtRequest.begin(),
                              channel.unansweredAtRequest.end(), [](int n) { return n == 0; }));
      const Seen ahead = crawlAfresh(true);
      EXPECT_EQ(ahead, serial);
      // Up to one request per download at once beside the row's own.
      const Strings& requests = channel.requests;
      const std::vector<int>& unanswered = channel.unansweredAtRequest;
      EXPECT_EQ(*std::max_element(unanswered.begin(), unanswered.end()), jobs);
      // Nothing goes ahead of a page, whose links may come before the rows after it.
      for (std::size_t i = 0; i + 1 < requests.size(); ++i) {
        if (requests[i].find(".html,") != std::string::npos) {
          EXPECT_EQ(unanswered[i], 0) << requests[i];
          EXPECT_EQ(unanswered[i + 1], 0) << requests[i + 1];
        }
      }
    }
  }
}

// An option changed during the crawl holds from the next row decided: a
// picture whose request had gone ahead lands, no picture is asked for after.
TEST_F(RequestsAheadTest, AnOptionChangedMidCrawlHoldsFromTheNextRowDecided) {
  channel.ahead = true;
  options.setJobs(2);
  channel.onRequest = [this](const std::string& url) {
    if (url == "http://h.test/p3.gif")
      options.set(Check::Gif, false);
  };
  ASSERT_EQ(crawl(kStart, "1"), CrawlOutcome::Completed);
  const Strings urls = requestedUrls();
  const auto at = std::find(urls.begin(), urls.end(), "http://h.test/p3.gif");
  ASSERT_NE(at, urls.end());
  EXPECT_GT(channel.unansweredAtRequest[static_cast<std::size_t>(at - urls.begin())], 0);
  EXPECT_TRUE(exists("site/p3.gif"));
  EXPECT_TRUE(std::none_of(at + 1, urls.end(),
                           [](const std::string& url) { return url.ends_with(".gif"); }));
}

}  // namespace
}  // namespace harvel::test
