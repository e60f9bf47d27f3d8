// robots.txt through the real harvel-cli and VeskDownloader against sites on
// several loopback hosts: what it refuses is never asked for, its Crawl-delay
// spaces the requests, a missing one allows all, and a hostile one costs
// bounded time.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "cli_process.h"
#include "downloader_process.h"
#include "scoped_env.h"
#include "temp_folder.h"
#include "test_site_server.h"

namespace harvel {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Strings = std::set<std::string>;

// A host serving what is put on it and keeping each request's path and time.
class Host {
 public:
  explicit Host(const std::string& address) : server_(address) {}
  ~Host() { server_.stop(); }

  void put(const std::string& path, const std::string& content) { files_[path] = content; }
  // Answers robots.txt with `status` for the first `times` requests, then as put.
  void failRobots(int status, int times) {
    robotsStatus_ = status;
    robotsFailures_ = times;
  }
  test::TestSiteServer& server() { return server_; }
  void start() {
    server_.routes().Get(".*", [this](const httplib::Request& request, httplib::Response& res) {
      const std::lock_guard lock(mutex_);
      asked_.push_back({request.path, Clock::now()});
      if (request.path == "/robots.txt" && robotsFailures_ > 0) {
        --robotsFailures_;
        res.status = robotsStatus_;
        return;
      }
      const auto file = files_.find(request.path);
      if (file == files_.end()) {
        res.status = 404;
        return;
      }
      res.set_content(file->second, request.path.ends_with(".html") ? "text/html" : "image/gif");
    });
    server_.start();
  }
  std::string url(const std::string& path) const { return server_.url(path); }
  std::vector<std::pair<std::string, Clock::time_point>> asked() {
    const std::lock_guard lock(mutex_);
    return asked_;
  }
  Strings askedPaths() {
    Strings paths;
    for (const auto& [path, when] : asked())
      paths.insert(path);
    return paths;
  }

 private:
  test::TestSiteServer server_;
  std::map<std::string, std::string> files_;
  std::mutex mutex_;
  std::vector<std::pair<std::string, Clock::time_point>> asked_;
  int robotsStatus_ = 0;
  int robotsFailures_ = 0;
};

class RobotsEndToEnd : public ::testing::Test {
 protected:
  void TearDown() override { test::KillRunningDownloader(); }

  Strings crawl(const std::string& start, QStringList options, test::CliRun& run) {
    options << "--dir" << QString::fromStdString(dir_.text()) << "T"
            << QString::fromStdString(start) << "1";
    run = test::RunCli(options, std::chrono::seconds(30));
    return test::FilesIn(dir_.path() / "T");
  }

  test::TempFolder dir_;
};

TEST_F(RobotsEndToEnd, RefusedUrlsAreNeverAskedForAndCrawlDelaySpacesTheRequests) {
  Host site("127.0.0.2");
  Host pictures("127.0.0.3");  // no robots.txt: everything allowed
  site.put("/robots.txt",
           "User-agent: otherbot\nDisallow: /\n\n"
           "User-agent: *\nDisallow: /private/\nDisallow: /*.png$\n"
           "Allow: /private/open.gif\nCrawl-delay: 0.5\n");
  site.put("/a.gif", "GIF89a a");
  site.put("/private/secret.gif", "GIF89a s");
  site.put("/private/open.gif", "GIF89a o");
  site.put("/b.png", "png");
  pictures.put("/private/c.gif", "GIF89a c");
  site.start();
  pictures.start();
  site.put("/index.html",
           "<a href=\"a.gif\">a</a><a href=\"private/secret.gif\">s</a>"
           "<a href=\"private/open.gif\">o</a><a href=\"b.png\">b</a><img src=\"" +
               pictures.url("/private/c.gif") + "\">");

  test::CliRun run;
  const Strings landed = crawl(site.url("/index.html"), {"--robots", "--verbose"}, run);
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(landed, (Strings{"a.gif", "open.gif", "c.gif"})) << run.out << run.err;
  EXPECT_EQ(site.askedPaths(),
            (Strings{"/robots.txt", "/index.html", "/a.gif", "/private/open.gif"}));
  EXPECT_EQ(pictures.askedPaths(), (Strings{"/robots.txt", "/private/c.gif"}));
  EXPECT_NE(run.out.find(site.url("/private/secret.gif")), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("excluded (robots.txt: Disallow: /private/)"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("harvel-cli: 3 landed, 0 failed, robots: 2"), std::string::npos)
      << run.out;

  // robots.txt once, then each request to the site at least the Crawl-delay after the last.
  const auto asked = site.asked();
  ASSERT_EQ(asked.size(), 4u);
  EXPECT_EQ(asked.front().first, "/robots.txt");
  for (std::size_t i = 2; i < asked.size(); ++i)
    EXPECT_GE(asked[i].second - asked[i - 1].second, std::chrono::milliseconds(450)) << i;

  // Without the option every link is fetched.
  fs::remove_all(dir_.path() / "T");
  const Strings all = crawl(site.url("/index.html"), {}, run);
  EXPECT_EQ(all.size(), 5u) << run.out << run.err;
}

TEST_F(RobotsEndToEnd, AHostileOrFailingRobotsFileCostsBoundedTime) {
  test::ScopedEnv limits("VESKDOWNLOADER_TEST_LIMITS",
                         "robots-ms=1500,retries=1,retry-pause-ms=100");
  Host trickling("127.0.0.2");  // one byte every 50 ms: cut off by the time limit, twice
  Host huge("127.0.0.3");       // 1 MiB of comments, then a rule never read
  Host failing("127.0.0.4");    // 503 once, then its rules
  trickling.server().serveSlowly("/robots.txt", "text/plain", 100000, '#');
  trickling.put("/t.gif", "GIF89a t");
  huge.server().routes().Get("/robots.txt", [](const httplib::Request&, httplib::Response& res) {
    auto sent = std::make_shared<int>(0);
    res.set_chunked_content_provider("text/plain", [sent](size_t, httplib::DataSink& sink) {
      const std::string block(64 * 1024, '#');
      if ((*sent)++ < 16)
        return sink.write(block.data(), block.size());
      const std::string rule = "\nUser-agent: *\nDisallow: /\n";
      sink.write(rule.data(), rule.size());
      sink.done();
      return true;
    });
  });
  huge.put("/h.gif", "GIF89a h");
  failing.failRobots(503, 1);
  failing.put("/robots.txt", "User-agent: *\nDisallow: /no.gif\n");
  failing.put("/f.gif", "GIF89a f");
  failing.put("/no.gif", "GIF89a n");
  for (Host* host : {&trickling, &huge, &failing})
    host->start();
  Host start("127.0.0.5");
  start.put("/index.html", "<img src=\"" + trickling.url("/t.gif") + "\"><img src=\"" +
                               huge.url("/h.gif") + "\"><img src=\"" + failing.url("/f.gif") +
                               "\"><img src=\"" + failing.url("/no.gif") + "\">");
  start.start();

  test::CliRun run;
  const auto began = Clock::now();
  const Strings landed = crawl(start.url("/index.html"), {"--robots", "--verbose"}, run);
  const auto took = Clock::now() - began;
  trickling.server().finishSlowAnswers();
  EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(landed, (Strings{"h.gif", "f.gif"})) << run.out << run.err;
  EXPECT_TRUE(trickling.server().waitForSlowStart(std::chrono::milliseconds(0)));
  EXPECT_EQ(trickling.askedPaths(), Strings{});  // its robots.txt is served apart
  EXPECT_EQ(failing.askedPaths(), (Strings{"/robots.txt", "/f.gif"}));
  EXPECT_EQ(failing.asked().size(), 3u);  // robots.txt twice
  EXPECT_NE(run.out.find("robots: 2"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("so the site is not crawled"), std::string::npos) << run.out;
  EXPECT_LT(took, std::chrono::seconds(10));
}

}  // namespace
}  // namespace harvel
