// harvel-cli --render with the real VeskDownloader and the real Chromium: a
// session the page's script opens reaches the downloads, pages that never
// settle end on time with what they showed, no browser process outlives a
// crawl that finished, was interrupted or was killed (nor its downloader),
// profile folders that a killed downloader left are removed at the next
// browser start, and without Chromium nothing is fetched.
#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "browser_processes.h"
#include "cli_process.h"
#include "downloader_process.h"
#include "scoped_env.h"
#include "temp_folder.h"
#include "test_site_server.h"

namespace harvel {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

const std::string kSite = std::string(HARVEL_E2E_SITES) + "/rendering";

// The limits of a page that keeps the browser busy for as long as the test
// needs it: the signal surely comes while it is rendered.
constexpr const char* kLongRender = "page-ms=60000,load-ms=60000,settle-ms=60000";

class RenderEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    test::KillRunningDownloader();
    picture_ = test::ReadFile(kSite + "/pics/q1.gif");
    site_.mount(kSite);
    site_.routes().set_logger([this](const httplib::Request& req, const httplib::Response&) {
      std::lock_guard lock(mutex_);
      requests_.insert(req.path);
    });
    site_.routes().Get("/tick", [this](const httplib::Request&, httplib::Response& res) {
      {
        std::lock_guard lock(mutex_);
        ++ticks_;
      }
      ticked_.notify_all();
      res.set_content("{}", "application/json");
    });
    site_.routes().Get(R"(/endless/e\d+\.gif)",
                       [this](const httplib::Request&, httplib::Response& res) {
                         res.set_content(picture_, "image/gif");
                       });
    site_.routes().Get(
        R"(/members/\w+\.gif)", [this](const httplib::Request& req, httplib::Response& res) {
          const bool member =
              req.get_header_value("Cookie").find("session=opened-by-script") != std::string::npos;
          std::lock_guard lock(mutex_);
          (member ? membersServed_ : membersRefused_) += 1;
          res.status = member ? 200 : 403;
          res.set_content(member ? picture_ : "members only", "image/gif");
        });
    // Busy the first time it is asked for, then a plain page.
    site_.routes().Get("/once-busy.html", [this](const httplib::Request&, httplib::Response& res) {
      std::lock_guard lock(mutex_);
      res.set_content(onceBusyServed_++ == 0 ? test::ReadFile(kSite + "/busy.html")
                                             : "<img src=\"pics/q1.gif\">",
                      "text/html");
    });
    site_.start();
  }
  void TearDown() override {
    test::KillRunningDownloader();
    site_.stop();
  }

  // Starts harvel-cli on one page and waits until the browser is busy with it.
  bool startBusyCrawl(QProcess& cli, const std::string& page) {
    cli.start(Q(test::ProgramFolderOfBuild() + "/harvel-cli"),
              {"--dir", Q(dir_.text()), "--render", "T", Q(site_.url(page)), "1"});
    if (!cli.waitForStarted(10000))
      return false;
    std::unique_lock lock(mutex_);
    return ticked_.wait_for(lock, 30s, [this] { return ticks_ > 0; });
  }

  // The browser profile folders in this test run's TMPDIR, once none is
  // being removed any more (a browser's folder goes just after its processes).
  static std::set<std::string> ProfileFolders() {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(std::getenv("TMPDIR"))) {
      if (entry.path().filename().string().rfind("harvel-browser-", 0) == 0)
        names.insert(entry.path().filename().string());
    }
    return names;
  }
  static std::set<std::string> ProfileFoldersLeft() {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    std::set<std::string> names = ProfileFolders();
    while (!names.empty() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(50ms);
      names = ProfileFolders();
    }
    return names;
  }

  bool requested(const std::string& path) {
    std::lock_guard lock(mutex_);
    return requests_.count(path) > 0;
  }

  test::TempFolder dir_;
  test::TestSiteServer site_;
  std::string picture_;
  std::mutex mutex_;
  std::condition_variable ticked_;
  std::set<std::string> requests_;
  int ticks_ = 0;
  int membersServed_ = 0;
  int membersRefused_ = 0;
  int onceBusyServed_ = 0;
};

TEST_F(RenderEndToEnd, TheSessionCookieAPageScriptSetsOpensItsPictures) {
  const auto run =
      test::RunCli({"--dir", Q(dir_.text()), "--render", "T", Q(site_.url("/members.html")), "1"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  for (const char* name : {"m1.gif", "m2.gif", "m3.gif", "m4.gif"})
    EXPECT_EQ(test::ReadFile(dir_.path() / "T" / name), picture_) << name;
  std::lock_guard lock(mutex_);
  EXPECT_EQ(membersRefused_, 0) << "every request for a picture carried the page's cookie";
  EXPECT_GE(membersServed_, 4);
  EXPECT_TRUE(test::NoBrowserProcessLeft()) << "after a finished crawl";
}

TEST_F(RenderEndToEnd, PagesThatNeverSettleEndAtTheirTimeLimitWithWhatTheyShowed) {
  test::ScopedEnv limits("VESKDOWNLOADER_RENDER_LIMITS", "page-ms=2500");
  const auto started = std::chrono::steady_clock::now();
  const auto run = test::RunCli({"--dir", Q(dir_.text()), "--render", "--render-scrolls", "1000",
                                 "T", Q(site_.url("/index.html")), "2"});
  const auto took = std::chrono::steady_clock::now() - started;
  ASSERT_EQ(run.exitCode, 0) << run.err;
  // Unbounded, the endless page alone would scroll a thousand times.
  EXPECT_LT(took, 30s) << "two pages of at most 2.5 s each, the browser's start and a few "
                          "small downloads on a loaded machine";
  // What the pages showed until their time was up, the endless one's
  // pictures as far as it was scrolled (but the one its last scroll asked
  // for as the page was being taken); the pages themselves are not kept.
  std::set<std::string> shown = {"T/r1.gif", "T/q1.gif", "T/q2.gif"};
  int steps = 0;
  while (requested("/endless/e" + std::to_string(steps + 1) + ".gif"))
    shown.insert("T/e" + std::to_string(++steps) + ".gif");
  ASSERT_GE(steps, 3);
  std::set<std::string> landed = test::FilesIn(dir_.path());
  landed.insert("T/e" + std::to_string(steps) + ".gif");
  EXPECT_EQ(landed, shown);
  EXPECT_TRUE(test::NoBrowserProcessLeft()) << "after a finished crawl";
}

TEST_F(RenderEndToEnd, AnInterruptWhileAPageIsRenderedEndsTheBrowserToo) {
  test::ScopedEnv limits("VESKDOWNLOADER_RENDER_LIMITS", kLongRender);
  QProcess cli;
  ASSERT_TRUE(startBusyCrawl(cli, "/busy.html"));
  ASSERT_GT(test::BrowserProcessesOfThisRun(), 0);
  ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
  ASSERT_TRUE(cli.waitForFinished(20000));
  EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(cli.exitCode(), 1);
  EXPECT_NE(cli.readAllStandardError().toStdString().find("interrupted"), std::string::npos);
  EXPECT_TRUE(test::NoBrowserProcessLeft());
}

TEST_F(RenderEndToEnd, AKilledCrawlLeavesNoBrowserRunning) {
  test::ScopedEnv limits("VESKDOWNLOADER_RENDER_LIMITS", kLongRender);
  QProcess cli;
  ASSERT_TRUE(startBusyCrawl(cli, "/busy.html"));
  ASSERT_GT(test::BrowserProcessesOfThisRun(), 0);
  cli.kill();
  ASSERT_TRUE(cli.waitForFinished(10000));
  EXPECT_TRUE(test::NoBrowserProcessLeft());
  EXPECT_TRUE(test::DownloaderAnswers()) << "the downloader itself stays for other clients";
  EXPECT_TRUE(ProfileFoldersLeft().empty());
}

TEST_F(RenderEndToEnd, AKilledDownloaderTakesItsBrowserAlongAndItsProfileGoesAtTheNextStart) {
  test::ScopedEnv limits("VESKDOWNLOADER_RENDER_LIMITS", kLongRender);
  QProcess cli;
  ASSERT_TRUE(startBusyCrawl(cli, "/once-busy.html"));
  const auto downloader = test::RunningDownloaderPid();
  ASSERT_TRUE(downloader);
  ASSERT_GT(test::BrowserProcessesOfThisRun(*downloader), 0);
  ::kill(static_cast<pid_t>(*downloader), SIGKILL);
  EXPECT_TRUE(test::NoBrowserProcessLeft(10s, *downloader));
  // harvel-cli starts a downloader again, whose browser renders the page anew.
  ASSERT_TRUE(cli.waitForFinished(30000));
  EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
  EXPECT_EQ(test::ReadFile(dir_.path() / "T" / "q1.gif"), picture_);
  EXPECT_TRUE(test::NoBrowserProcessLeft());
  EXPECT_EQ(ProfileFoldersLeft(), std::set<std::string>{})
      << "the killed downloader's profile folder was removed when the browser started again";
}

TEST_F(RenderEndToEnd, WithoutChromiumNothingIsFetched) {
  test::TempFolder emptyPath;
  test::ScopedEnv browser("HARVEL_CHROMIUM", nullptr);
  test::ScopedEnv path("PATH", emptyPath.text().c_str());
  const auto run =
      test::RunCli({"--dir", Q(dir_.text()), "--render", "T", Q(site_.url("/members.html")), "1"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("chromium-headless-shell"), std::string::npos) << run.err;
  std::lock_guard lock(mutex_);
  EXPECT_TRUE(requests_.empty()) << *requests_.begin();
  EXPECT_FALSE(fs::exists(dir_.path() / "T"));
}

}  // namespace
}  // namespace harvel
