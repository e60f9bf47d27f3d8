// What the case folders cannot say: failing servers, the downloader's life,
// usage errors and list files, all through the real harvel-cli.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QProcess>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "cli_process.h"
#include "downloader_process.h"
#include "list_file/list_file.h"
#include "temp_folder.h"
#include "test_site_server.h"

namespace harvel {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using test::FilesIn;
using test::ReadFile;
using test::WriteFile;

// The site's missing.gif and drop.gif never land: a crawl of it that completes
// exits with this status.
constexpr int kCompletedWithFailures = 3;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

class CliEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    site_.routes().Get("/index.html", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(
          "<img src=\"a.gif\"><img src=\"missing.gif\"><img src=\"drop.gif\">"
          "<img src=\"moved.gif\"><a href=\"slow.png\">s</a>",
          "text/html");
    });
    site_.routes().Get("/a.gif", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("GIF-a", "image/gif");
    });
    site_.routes().Get("/missing.gif",
                       [](const httplib::Request&, httplib::Response& res) { res.status = 404; });
    site_.serveCutOff("/drop.gif");
    site_.routes().Get("/moved.gif", [](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("/real/target.gif");
    });
    site_.routes().Get("/real/target.gif", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("GIF-moved", "image/gif");
    });
    // About a second and a half of dribbled bytes.
    site_.serveSlowly("/slow.png", "image/png", 30, 'p');
    site_.start();
  }
  void TearDown() override {
    test::KillRunningDownloader();
    site_.stop();
  }

  // Starts harvel-cli on target "T" and returns once its slow download has begun.
  void startCrawlUntilTheSlowDownload(QProcess& cli) {
    cli.start(Q(test::ProgramFolderOfBuild() + "/harvel-cli"), crawl("T"));
    ASSERT_TRUE(cli.waitForStarted(10000));
    ASSERT_TRUE(site_.waitForSlowStart());
  }

  QStringList crawl(const std::string& title, const std::string& level = "1") {
    return {QStringLiteral("--dir"), Q(dir_.text()), Q(title), Q(site_.url("/index.html")),
            Q(level)};
  }

  test::TempFolder dir_;
  test::TestSiteServer site_;
};

TEST_F(CliEndToEnd, FailedDownloadsLeaveNoFileAndKeepTheOldOneAndRedirectsAreFollowed) {
  WriteFile(dir_.path() / "T" / "drop.gif", "old picture");
  const auto run = test::RunCli(crawl("T"));
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, kCompletedWithFailures) << run.err;
  EXPECT_EQ(ReadFile(dir_.path() / "T" / "drop.gif"), "old picture");
  EXPECT_EQ(ReadFile(dir_.path() / "T" / "moved.gif"), "GIF-moved");
  EXPECT_EQ(FilesIn(dir_.path()),
            (std::set<std::string>{"T/a.gif", "T/drop.gif", "T/moved.gif", "T/slow.png"}));
  const std::string folder = dir_.text() + "/T/";
  EXPECT_NE(run.err.find("harvel-cli: failed: " + site_.url("/missing.gif") + " -> " + folder +
                         "missing.gif: HTTP 404\n"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("harvel-cli: failed: " + site_.url("/drop.gif") + " -> " + folder +
                         "drop.gif: cut off: "),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.out.find("\nharvel-cli: 3 landed, 2 failed\n"), std::string::npos) << run.out;
}

TEST_F(CliEndToEnd, ALinkTooLongToSendIsAFailedFileAndTheCrawlGoesOn) {
  const std::string longName(1100000, 'x');
  site_.routes().Get("/long.html", [longName](const httplib::Request&, httplib::Response& res) {
    res.set_content("<img src=\"" + longName + ".gif\"><img src=\"javascript:x().gif\">" +
                        "<img src=\"a.gif\">",
                    "text/html");
  });
  const auto run = test::RunCli({QStringLiteral("--dir"), Q(dir_.text()), QStringLiteral("T"),
                                 Q(site_.url("/long.html")), QStringLiteral("0")});
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, kCompletedWithFailures) << run.err.substr(0, 300);
  EXPECT_EQ(FilesIn(dir_.path()), std::set<std::string>{"T/a.gif"});
  EXPECT_NE(run.err.find(".gif: the link is too long to send to the downloader\n"),
            std::string::npos);
  EXPECT_NE(run.err.find("harvel-cli: failed: javascript:x().gif -> "), std::string::npos);
  EXPECT_EQ(run.err.find("cannot be reached"), std::string::npos);
  EXPECT_NE(run.out.find("harvel-cli: 1 landed, 2 failed\n"), std::string::npos);
}

TEST_F(CliEndToEnd, ATitleFolderThatCannotBeMadeIsAFailedRow) {
  WriteFile(dir_.path() / "B", "a plain file");
  const auto run = test::RunCli(crawl("B"));
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, kCompletedWithFailures) << run.err;
  EXPECT_EQ(ReadFile(dir_.path() / "B"), "a plain file");
  EXPECT_NE(run.err.find("harvel-cli: failed: " + site_.url("/index.html") + " -> " + dir_.text() +
                         "/B/index.html: the folder " + dir_.text() + "/B cannot be made: "),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.out.find("harvel-cli: 0 landed, 1 failed\n"), std::string::npos) << run.out;
}

TEST_F(CliEndToEnd, ATitleWithACommaGetsTheRightFilesInTheRightFolder) {
  const auto run = test::RunCli(crawl("Tom, Jerry", "0"));
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, kCompletedWithFailures) << run.err;
  EXPECT_EQ(ReadFile(dir_.path() / "Tom, Jerry" / "a.gif"), "GIF-a");
  EXPECT_EQ(ReadFile(dir_.path() / "Tom, Jerry" / "moved.gif"), "GIF-moved");
  EXPECT_FALSE(fs::exists(dir_.path() / "Tom")) << "the path must not be cut at the comma";
}

TEST_F(CliEndToEnd, StartsTheDownloaderWhenAbsentAndClosesItAgain) {
  ASSERT_FALSE(test::DownloaderAnswers());
  const auto run = test::RunCli(crawl("T", "0"));
  EXPECT_EQ(run.exitCode, kCompletedWithFailures) << run.err;
  EXPECT_TRUE(fs::exists(dir_.path() / "T" / "a.gif"));
  EXPECT_TRUE(test::WaitUntilDownloaderAnswers(false, 5s));
}

TEST_F(CliEndToEnd, UsesARunningDownloaderAndLeavesItRunning) {
  test::DownloaderProcess running;
  ASSERT_TRUE(running.start());
  const auto pid = test::RunningDownloaderPid();
  const auto run = test::RunCli(crawl("T", "0"));
  EXPECT_EQ(run.exitCode, kCompletedWithFailures) << run.err;
  EXPECT_TRUE(fs::exists(dir_.path() / "T" / "a.gif"));
  EXPECT_EQ(running.process().state(), QProcess::Running);
  EXPECT_EQ(test::RunningDownloaderPid(), pid) << "no second downloader";
  EXPECT_TRUE(test::DownloaderAnswers());
}

TEST_F(CliEndToEnd, ADownloaderKilledMidCrawlIsStartedAgainAndTheCrawlCompletes) {
  QProcess cli;
  ASSERT_NO_FATAL_FAILURE(startCrawlUntilTheSlowDownload(cli));
  test::KillRunningDownloader();
  const bool finished = cli.waitForFinished(60000);
  if (!finished)
    cli.kill();
  ASSERT_TRUE(finished) << cli.readAllStandardOutput().toStdString()
                        << cli.readAllStandardError().toStdString();
  EXPECT_EQ(cli.exitCode(), kCompletedWithFailures) << cli.readAllStandardError().toStdString();
  EXPECT_EQ(ReadFile(dir_.path() / "T" / "slow.png"), std::string(30, 'p'));
  EXPECT_TRUE(test::WaitUntilDownloaderAnswers(false, 5s)) << "the restarted one is closed too";
  // Copies fetched ahead by the killed downloader went with the next one's first file.
  EXPECT_EQ(FilesIn(dir_.path()), (std::set<std::string>{"T/a.gif", "T/moved.gif", "T/slow.png"}));
}

TEST_F(CliEndToEnd, CtrlCStopsTheCrawlAndClosesTheDownloaderItStarted) {
  QProcess cli;
  ASSERT_NO_FATAL_FAILURE(startCrawlUntilTheSlowDownload(cli));
  ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
  const bool finished = cli.waitForFinished(30000);
  if (!finished)
    cli.kill();
  ASSERT_TRUE(finished);
  EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(cli.exitCode(), 1);
  EXPECT_TRUE(test::WaitUntilDownloaderAnswers(false, 5s));
  // No copy fetched ahead and no partial file stays behind.
  for (const std::string& file : FilesIn(dir_.path()))
    EXPECT_EQ(file.find(".VeskDownloader-"), std::string::npos) << file;
}

TEST_F(CliEndToEnd, ADownloaderThatCannotBeStartedEndsWithStatusOne) {
  // harvel-cli alone in a folder: there is no VeskDownloader beside it.
  test::TempFolder lonely;
  fs::copy_file(test::ProgramFolderOfBuild() + "/harvel-cli", lonely.path() / "harvel-cli");
  const auto run = test::RunCli(crawl("T"), 60s, lonely.text());
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_NE(run.err.find("VeskDownloader"), std::string::npos) << run.err;
  EXPECT_TRUE(FilesIn(dir_.path()).empty());
}

TEST_F(CliEndToEnd, UsageErrorsEndWithStatusTwoNamingTheArgumentAndWriteNothing) {
  const std::string url = site_.url("/index.html");
  const std::vector<std::pair<QStringList, std::string>> cases = {
      {{"--speed", "9", "T", Q(url)}, "--speed 9"},
      {{"--shiny", "T", Q(url)}, "--shiny"},
      {{"T"}, "URL"},
      {{"../up", Q(url)}, "../up"},
      {{"..", Q(url)}, "'..'"},
      {{"/abs", Q(url)}, "/abs"},
      {{"a/b", Q(url)}, "a/b"},
      {{"--dir", "/dev/null/none", "T", Q(url)}, "/dev/null/none"},
      {{"--list", Q(dir_.text() + "/missing.hvl")}, "missing.hvl"},
  };
  for (const auto& [arguments, named] : cases) {
    QStringList withDir = arguments;
    if (!arguments.contains(QStringLiteral("--dir")))
      withDir = QStringList{"--dir", Q(dir_.text())} + arguments;
    const auto run = test::RunCli(withDir);
    EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
    EXPECT_NE(run.err.find(named), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
  EXPECT_TRUE(FilesIn(dir_.path()).empty());
  EXPECT_FALSE(fs::exists(dir_.path().parent_path() / "up"));
  EXPECT_FALSE(test::DownloaderAnswers()) << "no downloader is started for a usage error";
}

TEST_F(CliEndToEnd, QuietPrintsNothingAndTheDefaultPrintsEveryText) {
  const auto quiet = test::RunCli(QStringList{"--quiet"} + crawl("Q", "0"));
  EXPECT_EQ(quiet.exitCode, kCompletedWithFailures) << quiet.err;
  EXPECT_EQ(quiet.out, "");  // failure lines go to standard error
  const auto loud = test::RunCli(crawl("L", "0"));
  EXPECT_NE(loud.out.find("ダウンロード中...\n"), std::string::npos) << loud.out;
  EXPECT_NE(loud.out.find("ダウンロードが完了しました(2秒後に自動で閉じます)\n"), std::string::npos)
      << loud.out;
}

TEST_F(CliEndToEnd, HelpAndVersion) {
  const auto help = test::RunCli({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--show-list FILE"), std::string::npos);
  const auto version = test::RunCli({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("harvel-cli ", 0), 0u) << version.out;
}

TEST_F(CliEndToEnd, ListFilesAreShownAndCrawledRowByRow) {
  const std::string list = dir_.text() + "/targets.hvl";
  const std::string url = site_.url("/index.html");
  ASSERT_TRUE(SaveListFile(list, {{"一つ目", url, "0"}, {"Two, too", url, "0"}}));

  const auto shown = test::RunCli({"--show-list", Q(list)});
  EXPECT_EQ(shown.exitCode, 0) << shown.err;
  EXPECT_EQ(shown.out, "一つ目\t" + url + "\t0\nTwo, too\t" + url + "\t0\n");

  const auto second = test::RunCli({"--dir", Q(dir_.text()), "--list", Q(list), "--row", "2"});
  EXPECT_EQ(second.exitCode, kCompletedWithFailures) << second.err;
  EXPECT_TRUE(fs::exists(dir_.path() / "Two, too" / "a.gif"));
  EXPECT_FALSE(fs::exists(dir_.path() / "一つ目"));

  const auto all = test::RunCli({"--dir", Q(dir_.text()), "--list", Q(list), "--quiet"});
  EXPECT_EQ(all.exitCode, kCompletedWithFailures) << all.err;
  EXPECT_TRUE(fs::exists(dir_.path() / "一つ目" / "a.gif"));

  const auto past = test::RunCli({"--dir", Q(dir_.text()), "--list", Q(list), "--row", "3"});
  EXPECT_EQ(past.exitCode, 2);
  EXPECT_NE(past.err.find("--row 3"), std::string::npos) << past.err;
}

TEST_F(CliEndToEnd, AListRowWithATitleLeadingOutsideStopsTheWholeListBeforeAnything) {
  const std::string list = dir_.text() + "/targets.hvl";
  const std::string url = site_.url("/index.html");
  ASSERT_TRUE(SaveListFile(list, {{"good", url, "0"}, {"../evil", url, "0"}}));
  const auto run = test::RunCli({"--dir", Q(dir_.text()), "--list", Q(list)});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("row 2"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(dir_.path() / "good"));
}

}  // namespace
}  // namespace harvel
