// The manners toward each host, through the real harvel-cli and VeskDownloader
// against sites on two loopback hosts: a server's pause holds its own host
// only, the connections to one host and the wait between its requests are
// kept, and a pause longer than is waited for fails that host's files at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cli_process.h"
#include "downloader_process.h"
#include "temp_folder.h"
#include "test_site_server.h"

namespace harvel {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A host whose log tells when each request came and how many it served at
// once. A path given a pause answers its first request 429 with that
// Retry-After; a path given a delay is answered that much later.
class LoggedHost {
 public:
  struct Hit {
    std::string path;
    Clock::time_point at;
  };

  explicit LoggedHost(const std::string& address) : server_(address) {
    server_.routes().Get(".*", [this](const httplib::Request& request, httplib::Response& res) {
      std::chrono::milliseconds delay{0};
      {
        const std::lock_guard lock(mutex_);
        hits_.push_back({request.path, Clock::now()});
        mostAtOnce_ = std::max(mostAtOnce_, ++atOnce_);
        if (const auto pause = pauses_.find(request.path); pause != pauses_.end()) {
          res.status = 429;
          res.set_header("Retry-After", pause->second);
          pauses_.erase(pause);
          --atOnce_;
          return;
        }
        delay = delay_;
      }
      std::this_thread::sleep_for(delay);  // the server's own pace
      const std::lock_guard lock(mutex_);
      --atOnce_;
      const auto file = files_.find(request.path);
      if (file == files_.end()) {
        res.status = 404;
        return;
      }
      res.set_content(file->second, request.path.ends_with(".html") ? "text/html" : "image/gif");
    });
    server_.start();
  }
  ~LoggedHost() { server_.stop(); }

  void put(const std::string& path, const std::string& content) {
    const std::lock_guard lock(mutex_);
    files_[path] = content;
  }
  void pauseFirst(const std::string& path, const std::string& retryAfter) {
    const std::lock_guard lock(mutex_);
    pauses_[path] = retryAfter;
  }
  void answerAfter(std::chrono::milliseconds delay) {
    const std::lock_guard lock(mutex_);
    delay_ = delay;
  }
  std::string url(const std::string& path) const { return server_.url(path); }
  std::vector<Hit> hits() {
    const std::lock_guard lock(mutex_);
    return hits_;
  }
  // The times `path` was asked for.
  std::vector<Clock::time_point> hitsOf(const std::string& path) {
    std::vector<Clock::time_point> times;
    for (const Hit& hit : hits()) {
      if (hit.path == path)
        times.push_back(hit.at);
    }
    return times;
  }
  int mostAtOnce() {
    const std::lock_guard lock(mutex_);
    return mostAtOnce_;
  }

 private:
  test::TestSiteServer server_;
  std::mutex mutex_;
  std::map<std::string, std::string> files_;
  std::map<std::string, std::string> pauses_;
  std::chrono::milliseconds delay_{0};
  std::vector<Hit> hits_;
  int atOnce_ = 0;
  int mostAtOnce_ = 0;
};

std::string Gif(const std::string& name) {
  return "GIF89a " + name;
}

class HostMannersEndToEnd : public ::testing::Test {
 protected:
  void TearDown() override { test::KillRunningDownloader(); }

  // A page on `pages` showing `pictures` (each "/name.gif" on its host), put
  // there; the crawl asks for them in this order (a page's pictures are
  // queued each in front of those found before it, so they are written in
  // the other order).
  std::string page(LoggedHost& pages,
                   const std::vector<std::pair<LoggedHost*, std::string>>& pictures) {
    std::string body;
    for (const auto& [host, path] : pictures) {
      host->put(path, Gif(path));
      body = "<img src=\"" + host->url(path) + "\">\n" + body;
    }
    pages.put("/index.html", body);
    return pages.url("/index.html");
  }

  test::CliRun crawl(const std::string& start, QStringList options) {
    options << "--verbose"
            << "--dir" << QString::fromStdString(dir_.text()) << "T"
            << QString::fromStdString(start) << "1";
    return test::RunCli(options);
  }
  std::set<std::string> landed() const { return test::FilesIn(dir_.path() / "T"); }

  test::TempFolder dir_;
};

TEST_F(HostMannersEndToEnd, AServersPauseHoldsItsOwnHostOnlyAndItsFilesLandAfterIt) {
  LoggedHost busy("127.0.0.2");
  LoggedHost other("127.0.0.3");
  // The first four are fetched at once; the busy host's two answer 429 first.
  busy.pauseFirst("/a1.gif", "2");
  busy.pauseFirst("/a2.gif", "2");
  const std::string start = page(other, {{&busy, "/a1.gif"},
                                         {&other, "/b1.gif"},
                                         {&other, "/b2.gif"},
                                         {&busy, "/a2.gif"},
                                         {&other, "/b3.gif"},
                                         {&busy, "/a3.gif"}});
  const test::CliRun run = crawl(start, {"--jobs", "4"});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(landed(),
            (std::set<std::string>{"a1.gif", "a2.gif", "a3.gif", "b1.gif", "b2.gif", "b3.gif"}));

  ASSERT_FALSE(busy.hits().empty());
  const Clock::time_point first = busy.hits().front().at;
  // The busy host is asked nothing more until its pause has passed, and then
  // each file it paused is fetched once more (a3 may have gone out before the
  // first 429 came back, when requests are sent ahead).
  for (const LoggedHost::Hit& hit : busy.hits())
    EXPECT_TRUE(hit.at - first < 500ms || hit.at - first >= 1900ms) << hit.path;
  for (const char* path : {"/a1.gif", "/a2.gif"}) {
    const auto hits = busy.hitsOf(path);
    ASSERT_FALSE(hits.empty()) << path;
    EXPECT_GE(hits.back() - first, 1900ms) << path;
  }
  // The other host is not kept waiting: its files are all asked for within the pause.
  for (const char* path : {"/b1.gif", "/b2.gif", "/b3.gif"}) {
    const auto hits = other.hitsOf(path);
    ASSERT_EQ(hits.size(), 1u) << path;
    EXPECT_LT(hits[0] - first, 1500ms) << path;
  }
}

TEST_F(HostMannersEndToEnd, AHostLimitedToOneConnectionNeverSeesTwoAtOnce) {
  LoggedHost limited("127.0.0.2");
  LoggedHost other("127.0.0.3");
  limited.answerAfter(100ms);
  other.answerAfter(100ms);
  std::vector<std::pair<LoggedHost*, std::string>> pictures;
  for (int i = 1; i <= 6; ++i) {
    pictures.emplace_back(&limited, "/a" + std::to_string(i) + ".gif");
    pictures.emplace_back(&other, "/b" + std::to_string(i) + ".gif");
  }
  const std::string start = page(other, pictures);
  const test::CliRun run = crawl(start, {"--jobs", "6", "--host-jobs", "1"});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(landed().size(), 12u) << run.out;
  EXPECT_EQ(limited.hits().size(), 6u);
  EXPECT_EQ(limited.mostAtOnce(), 1);
  EXPECT_EQ(other.mostAtOnce(), 1);
}

TEST_F(HostMannersEndToEnd, TheWaitSeparatesTheStartsOfTwoRequestsToOneHost) {
  LoggedHost site("127.0.0.2");
  const std::string start =
      page(site, {{&site, "/a1.gif"}, {&site, "/a2.gif"}, {&site, "/a3.gif"}});
  const test::CliRun run = crawl(start, {"--wait", "0.4"});
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(landed().size(), 3u) << run.out;
  const std::vector<LoggedHost::Hit> hits = site.hits();
  ASSERT_EQ(hits.size(), 4u);
  // Arrivals are logged by the server, and a loaded machine may deliver one
  // request late and the next on time: the gap is judged with room for that.
  for (std::size_t i = 1; i < hits.size(); ++i)
    EXPECT_GE(hits[i].at - hits[i - 1].at, 300ms) << hits[i].path;
  // Over the three gaps only the first arrival's and the last one's delays
  // count: together they are at least the wait each, less what one late
  // delivery may take off.
  EXPECT_GE(hits.back().at - hits.front().at, 3 * 400ms - 100ms);
}

TEST_F(HostMannersEndToEnd, APauseLongerThanIsWaitedForFailsThatHostsFilesAtOnce) {
  LoggedHost site("127.0.0.2");
  LoggedHost other("127.0.0.3");
  // A day from now, as an HTTP date.
  const std::time_t tomorrow = std::time(nullptr) + 86400;
  char date[64];
  std::strftime(date, sizeof date, "%a, %d %b %Y %H:%M:%S GMT", std::gmtime(&tomorrow));
  site.pauseFirst("/a1.gif", date);
  const std::string start =
      page(other, {{&site, "/a1.gif"}, {&site, "/a2.gif"}, {&other, "/b1.gif"}});
  const auto started = Clock::now();
  const test::CliRun run = crawl(start, {"--jobs", "1"});
  EXPECT_LT(Clock::now() - started, 15s);
  EXPECT_EQ(landed(), std::set<std::string>{"b1.gif"}) << run.out;
  // a2.gif is failed without being asked for.
  EXPECT_EQ(site.hits().size(), 1u);
  for (const char* name : {"/a1.gif", "/a2.gif"}) {
    const std::string line = run.out.substr(run.out.find(site.url(name)));
    EXPECT_NE(line.substr(0, line.find('\n')).find("paused too long"), std::string::npos) << line;
  }
  EXPECT_NE(run.out.find("asks for a pause of 86"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace harvel
