// The channel client against the real VeskDownloader and a real HTTP server.
#include "platform/downloader_channel.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "downloader_process.h"
#include "platform/qt_event_pump.h"
#include "pump_until.h"
#include "scoped_env.h"
#include "temp_folder.h"
#include "test_site_server.h"

namespace harvel {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

using test::PumpUntil;

QString BuildFolder() {
  return QString::fromStdString(test::ProgramFolderOfBuild());
}

class DownloaderChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    site_.routes().Get("/a.gif", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("GIF89a", "image/gif");
    });
    // About a second of dribbled bytes: long enough to kill a downloader mid-way.
    site_.serveSlowly("/slow.gif", "image/gif", 20, 'x');
    site_.start();
  }
  void TearDown() override {
    test::KillRunningDownloader();
    site_.stop();
  }

  std::string path(const std::string& name) const { return (out_.path() / name).string(); }

  test::TempFolder out_;
  test::TestSiteServer site_;
};

TEST_F(DownloaderChannelTest, StartsTheDownloaderWhenAbsentAndNotASecondTime) {
  ASSERT_FALSE(test::DownloaderAnswers());
  DownloaderChannel first(BuildFolder());
  ASSERT_TRUE(first.connectOrStart()) << first.errorText().toStdString();
  EXPECT_TRUE(first.startedDownloader());
  const auto pid = test::RunningDownloaderPid();
  ASSERT_TRUE(pid);

  DownloaderChannel second(BuildFolder());
  ASSERT_TRUE(second.connectOrStart());
  EXPECT_FALSE(second.startedDownloader());
  EXPECT_EQ(test::RunningDownloaderPid(), pid);

  first.close();
  EXPECT_TRUE(test::WaitUntilDownloaderAnswers(false, 5s));
}

TEST_F(DownloaderChannelTest, NoticesGoIntoTheMailboxOfTheirRequest) {
  DownloaderChannel channel(BuildFolder());
  ASSERT_TRUE(channel.connectOrStart());
  auto mailbox = std::make_shared<Mailbox>();
  channel.Downloading(site_.url("/a.gif"), path("a.gif"), mailbox);
  ASSERT_TRUE(PumpUntil([&] { return !mailbox->text.empty(); }));
  EXPECT_EQ(mailbox->text, "0");
  EXPECT_TRUE(fs::exists(path("a.gif")));

  // A crawl window unloaded before its notice came: the notice is dropped and
  // the count still advances.
  auto gone = std::make_shared<Mailbox>();
  channel.Downloading(site_.url("/a.gif"), path("b.gif"), gone);
  gone.reset();
  auto next = std::make_shared<Mailbox>();
  channel.Downloading(site_.url("/a.gif"), path("c.gif"), next);
  ASSERT_TRUE(PumpUntil([&] { return !next->text.empty(); }));
  EXPECT_EQ(next->text, "2");
  channel.close();
}

TEST_F(DownloaderChannelTest, ADownloaderKilledMidDownloadIsStartedAgainAndTheRequestResent) {
  DownloaderChannel channel(BuildFolder());
  ASSERT_TRUE(channel.connectOrStart());
  const auto firstPid = test::RunningDownloaderPid();
  auto mailbox = std::make_shared<Mailbox>();
  channel.Downloading(site_.url("/a.gif"), path("a.gif"), mailbox);
  ASSERT_TRUE(PumpUntil([&] { return mailbox->text == "0"; }));
  channel.Downloading(site_.url("/slow.gif"), path("slow.gif"), mailbox);
  PumpUntil([] { return false; }, 300ms);
  test::KillRunningDownloader();

  ASSERT_TRUE(PumpUntil([&] { return mailbox->text != "0" || !mailbox->channelError.empty(); }));
  EXPECT_EQ(mailbox->channelError, "");
  // The fresh downloader answers the resent request with its first count, 0;
  // the mailbox must change all the same, or the crawl would wait forever.
  EXPECT_EQ(mailbox->text, "1");
  EXPECT_NE(test::RunningDownloaderPid(), firstPid);
  EXPECT_EQ(fs::file_size(path("slow.gif")), 20u);
  channel.close();
}

TEST_F(DownloaderChannelTest, ARestartedDownloaderGetsTheCrawlsSettingsBeforeItsRequests) {
  site_.routes().Get("/agent.gif", [](const httplib::Request& req, httplib::Response& res) {
    if (req.get_header_value("User-Agent") != "HarvelTest/1")
      res.status = 403;
    res.set_content("GIF89a", "image/gif");
  });
  DownloaderChannel channel(BuildFolder());
  ConnectionSettings settings;
  settings.userAgent = "HarvelTest/1";
  ASSERT_EQ(channel.applySettings(settings), DownloaderChannel::SettingsResult::Applied)
      << channel.errorText().toStdString();
  auto slow = std::make_shared<Mailbox>();
  auto agent = std::make_shared<Mailbox>();
  channel.Downloading(site_.url("/slow.gif"), path("slow.gif"), slow);
  channel.Downloading(site_.url("/agent.gif"), path("agent.gif"), agent);
  PumpUntil([] { return false; }, 300ms);
  test::KillRunningDownloader();

  ASSERT_TRUE(PumpUntil([&] { return !agent->text.empty() || !agent->channelError.empty(); }));
  EXPECT_TRUE(agent->outcome.landed) << agent->outcome.reasonText << agent->channelError;
  EXPECT_TRUE(fs::exists(path("agent.gif")));
  channel.close();
}

TEST_F(DownloaderChannelTest, AMissingDownloaderProgramGivesAClearError) {
  test::TempFolder empty;
  DownloaderChannel channel(QString::fromStdString(empty.text()));
  EXPECT_FALSE(channel.connectOrStart());
  EXPECT_TRUE(channel.errorText().contains(QStringLiteral("VeskDownloader")))
      << channel.errorText().toStdString();

  auto mailbox = std::make_shared<Mailbox>();
  channel.Downloading(site_.url("/a.gif"), path("a.gif"), mailbox);
  EXPECT_TRUE(PumpUntil([&] { return !mailbox->channelError.empty(); }, 5s));
  EXPECT_EQ(mailbox->text, "");
  EXPECT_FALSE(channel.startedDownloader());
}

TEST_F(DownloaderChannelTest, WhenTheRestartFailsTooTheCrawlIsToldInsteadOfWaiting) {
  // The running downloader is found; the one in the program folder never answers.
  test::DownloaderProcess running;
  ASSERT_TRUE(running.start());
  test::TempFolder folder;
  test::WriteFile(folder.path() / "VeskDownloader", "#!/bin/sh\nexit 0\n");
  chmod((folder.path() / "VeskDownloader").c_str(), 0755);

  DownloaderChannel channel(QString::fromStdString(folder.text()));
  channel.setStartTimeout(500ms);
  ASSERT_TRUE(channel.connectOrStart());
  EXPECT_FALSE(channel.startedDownloader());
  auto mailbox = std::make_shared<Mailbox>();
  channel.Downloading(site_.url("/slow.gif"), path("slow.gif"), mailbox);
  PumpUntil([] { return false; }, 200ms);
  running.kill();

  ASSERT_TRUE(PumpUntil([&] { return !mailbox->channelError.empty(); }, 10s));
  EXPECT_NE(mailbox->channelError.find("VeskDownloader"), std::string::npos)
      << mailbox->channelError;
  EXPECT_EQ(mailbox->text, "");
}

TEST_F(DownloaderChannelTest, CloseWithoutAConnectionFindsTheDownloaderFirst) {
  test::DownloaderProcess running;
  ASSERT_TRUE(running.start());
  DownloaderChannel channel(BuildFolder());
  channel.close();
  EXPECT_TRUE(running.process().waitForFinished(5000));
  EXPECT_FALSE(test::DownloaderAnswers());
}

// A program folder whose VeskDownloader takes `seconds` before it runs the
// real one, as a slow machine would.
void WriteSlowDownloader(const test::TempFolder& folder, int seconds) {
  const fs::path program = folder.path() / "VeskDownloader";
  std::ofstream(program) << "#!/bin/sh\nsleep " << seconds << "\nexec '"
                         << test::DownloaderProgram() << "' \"$@\"\n";
  chmod(program.c_str(), 0755);
}

TEST_F(DownloaderChannelTest, WaitsForAStartedDownloaderThroughTheEventLoop) {
  test::TempFolder folder;
  WriteSlowDownloader(folder, 1);
  DownloaderChannel channel(QString::fromStdString(folder.text()));
  channel.setStartTimeout(20s);
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
  timer.start(50);
  ASSERT_TRUE(channel.connectOrStart()) << channel.errorText().toStdString();
  EXPECT_TRUE(channel.startedDownloader());
  // About one a tick every 50 ms during a second's wait; none if the wait blocked.
  EXPECT_GE(ticks, 5);
  channel.close();
}

TEST_F(DownloaderChannelTest, StopStartingEndsTheWaitAndTheDownloaderItWaitedFor) {
  test::TempFolder folder;
  WriteSlowDownloader(folder, 2);
  DownloaderChannel channel(QString::fromStdString(folder.text()));
  channel.setStartTimeout(20s);
  QTimer::singleShot(300ms, [&channel] { channel.stopStarting(); });
  EXPECT_FALSE(channel.connectOrStart());
  EXPECT_TRUE(channel.errorText().contains(QStringLiteral("interrupted")))
      << channel.errorText().toStdString();
  // Past the moment the real downloader would have been run: nothing answers.
  PumpUntil([] { return false; }, 3s);
  EXPECT_FALSE(test::DownloaderAnswers());
  // Nor is one started later, for a request.
  auto mailbox = std::make_shared<Mailbox>();
  channel.Downloading(site_.url("/a.gif"), path("a.gif"), mailbox);
  EXPECT_FALSE(mailbox->channelError.empty());
  EXPECT_FALSE(test::DownloaderAnswers());
}

TEST_F(DownloaderChannelTest, ARefusedSocketFolderIsSaidAtOnceAndNothingIsStarted) {
  test::TempFolder tmp;
  test::TempFolder elsewhere;
  fs::create_directory_symlink(elsewhere.path(),
                               tmp.path() / ("harvel-" + std::to_string(getuid())));
  test::ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
  test::ScopedEnv tmpdir("TMPDIR", tmp.text().c_str());
  DownloaderChannel channel(BuildFolder());
  EXPECT_FALSE(channel.connectOrStart());
  EXPECT_FALSE(channel.startedDownloader());
  EXPECT_TRUE(channel.errorText().contains(QStringLiteral("symbolic link")))
      << channel.errorText().toStdString();
}

}  // namespace
}  // namespace harvel
