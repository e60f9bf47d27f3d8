// harvel-cli where a careless user, a hostile list or a hostile page meets it:
// titles that name no folder of their own, list titles holding control
// characters, Ctrl-C while the downloader is being started, and an interrupt
// while a page is read.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QProcess>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
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

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

// Waits until the process `pid` (not a child of ours) has ended.
bool ProcessEnds(long pid, std::chrono::milliseconds timeout) {
  const int handle = static_cast<int>(syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
  if (handle < 0)
    return errno == ESRCH;  // gone already
  pollfd ended{handle, POLLIN, 0};
  const bool done = poll(&ended, 1, static_cast<int>(timeout.count())) == 1;
  close(handle);
  return done;
}

// Waits until a file named `name` is written or moved into the folder that
// `watch` (an inotify descriptor) watches.
bool NameAppears(int watch, const std::string& name, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  alignas(inotify_event) char events[4096];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd readable{watch, POLLIN, 0};
    if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) != 1)
      return false;
    const ssize_t size = read(watch, events, sizeof events);
    for (ssize_t at = 0; at < size;) {
      const auto* event = reinterpret_cast<const inotify_event*>(events + at);
      if (event->len > 0 && name == event->name)
        return true;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
}

class CliSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    site_.routes().Get("/index.html", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<img src=\"harvel-cli\"><img src=\"a.gif\">", "text/html");
    });
    site_.routes().Get("/harvel-cli", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("not a program", "image/gif");
    });
    site_.routes().Get("/a.gif", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("GIF-a", "image/gif");
    });
    site_.start();
  }
  void TearDown() override {
    test::KillRunningDownloader();
    site_.stop();
  }

  test::TempFolder dir_;
  test::TestSiteServer site_;
};

TEST_F(CliSafety, TitlesNamingNoFolderOfTheirOwnAreUsageErrors) {
  const std::string url = site_.url("/index.html");
  for (const std::string title : {"", ".", "a\r\nb", "tab\there"}) {
    const auto run = test::RunCli({"--dir", Q(dir_.text()), Q(title), Q(url), "1"});
    EXPECT_EQ(run.exitCode, 2) << title << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
  }
  EXPECT_TRUE(fs::is_empty(dir_.path()));
  EXPECT_FALSE(test::DownloaderAnswers()) << "no downloader is started for a usage error";

  const std::string list = dir_.text() + "/targets.hvl";
  ASSERT_TRUE(SaveListFile(list, {{"good", url, "0"}, {".", url, "0"}}));
  const auto run = test::RunCli({"--dir", Q(dir_.text()), "--list", Q(list)});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_NE(run.err.find("row 2"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(dir_.path() / "good"));
  EXPECT_FALSE(fs::exists(dir_.path() / "a.gif"));
}

TEST_F(CliSafety, ShowListEscapesControlCharacters) {
  const std::string list = dir_.text() + "/targets.hvl";
  ASSERT_TRUE(SaveListFile(list, {{"red\x1b[31m\ttab", "http://h.test/a\\b", "1"}}));
  const auto shown = test::RunCli({"--show-list", Q(list)});
  EXPECT_EQ(shown.exitCode, 0) << shown.err;
  EXPECT_EQ(shown.out, "red\\x1B[31m\\ttab\thttp://h.test/a\\\\b\t1\n");
}

TEST_F(CliSafety, CtrlCWhileTheDownloaderStartsLeavesNoDownloaderRunning) {
  // harvel-cli beside a VeskDownloader that takes two seconds to start and
  // writes its process number first.
  test::TempFolder programs;
  fs::copy_file(test::ProgramFolderOfBuild() + "/harvel-cli", programs.path() / "harvel-cli");
  const fs::path started = programs.path() / "started";
  std::ofstream(programs.path() / "VeskDownloader")
      << "#!/bin/sh\necho $$ > '" << started.string() << ".part'\nmv '" << started.string()
      << ".part' '" << started.string() << "'\nsleep 2\nexec '" << test::DownloaderProgram()
      << "' \"$@\"\n";
  chmod((programs.path() / "VeskDownloader").c_str(), 0755);

  QProcess cli;
  cli.start(Q(programs.text() + "/harvel-cli"),
            {"--dir", Q(dir_.text()), "T", Q(site_.url("/index.html")), "1"});
  ASSERT_TRUE(cli.waitForStarted(10000));
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (!fs::exists(started) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(10ms);
  ASSERT_TRUE(fs::exists(started));
  ::kill(static_cast<pid_t>(cli.processId()), SIGINT);
  const bool finished = cli.waitForFinished(20000);
  if (!finished)
    cli.kill();
  ASSERT_TRUE(finished);
  EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(cli.exitCode(), 1);
  EXPECT_NE(cli.readAllStandardError().toStdString().find("interrupted"), std::string::npos);
  // The slow starter was ended before it could run the real downloader.
  EXPECT_TRUE(ProcessEnds(std::stol(test::ReadFile(started)), 20s));
  EXPECT_FALSE(test::DownloaderAnswers());
  EXPECT_FALSE(fs::exists(dir_.path() / "T" / "a.gif"));
}

TEST_F(CliSafety, AnInterruptEndsTheCrawlWhileAHostilePageIsRead) {
  // One tag with 150,000 attributes once held the crawl for a minute.
  std::string page = "<div";
  for (int i = 0; i < 150000; ++i)
    page += " a" + std::to_string(i) + "=1";
  page += "><img src=slow.png>";
  site_.routes().Get("/hostile.html", [page](const httplib::Request&, httplib::Response& res) {
    res.set_content(page, "text/html");
  });
  site_.serveSlowly("/slow.png", "image/png", 600, 'p');

  // The page lands in the folder, is read, and is removed: the folder is
  // watched, so that its landing is seen however briefly it stays.
  fs::create_directory(dir_.path() / "T");
  const int watch = inotify_init1(IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, (dir_.text() + "/T").c_str(), IN_MOVED_TO | IN_CLOSE_WRITE),
            0);
  QProcess cli;
  cli.start(Q(test::ProgramFolderOfBuild() + "/harvel-cli"),
            {"--dir", Q(dir_.text()), "--modern-pages", "T", Q(site_.url("/hostile.html")), "1"});
  ASSERT_TRUE(cli.waitForStarted(10000));
  const bool pageLanded = NameAppears(watch, "hostile.html", 30s);
  close(watch);
  ASSERT_TRUE(pageLanded);
  ::kill(static_cast<pid_t>(cli.processId()), SIGTERM);
  // Generous for a loaded machine; the page alone took a minute to read.
  const bool finished = cli.waitForFinished(10000);
  if (!finished)
    cli.kill();
  site_.finishSlowAnswers();
  ASSERT_TRUE(finished);
  EXPECT_EQ(cli.exitCode(), 1);
  EXPECT_NE(cli.readAllStandardError().toStdString().find("interrupted"), std::string::npos);
}

}  // namespace
}  // namespace harvel
