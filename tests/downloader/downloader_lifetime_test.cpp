// How long VeskDownloader lives: it ends by itself when no client is left, and
// it keeps listening when it runs out of file descriptors for a while.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "downloader_process.h"
#include "raw_client.h"

namespace harvel {
namespace {

using namespace std::chrono_literals;

TEST(DownloaderLifetime, EndsByItselfOnlyWhenNoClientHasBeenConnectedForTheIdleTime) {
  test::DownloaderProcess downloader;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("VESKDOWNLOADER_IDLE_MS"), QStringLiteral("3000"));
  downloader.process().setProcessEnvironment(environment);
  ASSERT_TRUE(downloader.start());
  {
    test::RawClient client;
    ASSERT_TRUE(client.connect());
    // A client that stays connected keeps it running past the idle time.
    EXPECT_FALSE(downloader.process().waitForFinished(6000));
    client.request("", "/nothing");
    EXPECT_EQ(client.notice(), "0");
  }  // the client hangs up
  ASSERT_TRUE(downloader.process().waitForFinished(20000)) << "it runs on without clients";
  EXPECT_EQ(downloader.process().exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(downloader.process().exitCode(), 0);
  EXPECT_FALSE(test::DownloaderAnswers());
}

// The descriptor limit that leaves the process `pid` room for `spare` more
// files: new descriptors take the lowest free numbers below the limit.
rlim_t LimitWithRoomFor(qint64 pid, int spare) {
  std::set<int> open;
  for (const auto& entry :
       std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd"))
    open.insert(std::stoi(entry.path().filename().string()));
  int limit = 0;
  for (int free = 0; free < spare; ++limit) {
    if (open.count(limit) == 0)
      ++free;
  }
  return static_cast<rlim_t>(limit);
}

TEST(DownloaderLifetime, KeepsListeningWhenAcceptRunsOutOfFileDescriptors) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__)
  GTEST_SKIP() << "UBSan's vptr check makes a pipe, which a process out of descriptors cannot";
#endif
  test::DownloaderProcess downloader;
  ASSERT_TRUE(downloader.start());
  const qint64 pid = downloader.process().processId();
  // Room for two more descriptors only.
  const rlim_t limit = LimitWithRoomFor(pid, 2);
  const rlimit lowered{limit, limit};
  ASSERT_EQ(prlimit(static_cast<pid_t>(pid), RLIMIT_NOFILE, &lowered, nullptr), 0);

  // More clients than it can take: the last ones wait unanswered.
  std::vector<std::unique_ptr<test::RawClient>> clients;
  for (int i = 0; i < 6; ++i) {
    clients.push_back(std::make_unique<test::RawClient>());
    ASSERT_TRUE(clients.back()->connect()) << "client " << i;
  }
  clients.back()->request("", "/nothing");
  EXPECT_EQ(clients.back()->notice(1s), std::nullopt) << "the limit did not bite";

  // Once they hang up there are descriptors again, and new clients are served.
  clients.clear();
  test::RawClient later;
  ASSERT_TRUE(later.connect()) << "the socket is gone";
  later.request("", "/nothing");
  EXPECT_TRUE(later.notice(20s).has_value());
  EXPECT_EQ(downloader.process().state(), QProcess::Running);
}

}  // namespace
}  // namespace harvel
