// VeskDownloader against requests and leftovers that must not make it write
// where it should not: the real process, a real HTTP server on 127.0.0.1.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QThread>
#include <chrono>
#include <filesystem>
#include <set>

#include "downloader_process.h"
#include "raw_client.h"
#include "temp_folder.h"
#include "test_site_server.h"

namespace harvel {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using test::FilesIn;
using test::ReadFile;
using test::WriteFile;

class DownloaderSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    site_.routes().Get("/a.gif", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("GIF89a-picture", "image/gif");
    });
    site_.serveSlowly("/slow.gif", "image/gif", 200, 'x');
    site_.start();
  }
  void TearDown() override {
    site_.stop();
    test::KillRunningDownloader();
  }

  // Starts a downloader whose working folder is `workingFolder` and connects to it.
  void start(test::DownloaderProcess& downloader, test::RawClient& client,
             const fs::path& workingFolder) {
    downloader.process().setWorkingDirectory(QString::fromStdString(workingFolder.string()));
    ASSERT_TRUE(downloader.start());
    ASSERT_TRUE(client.connect());
  }

  test::TempFolder out_;
  test::TestSiteServer site_;
};

TEST_F(DownloaderSafety, ARelativePathWritesNothingEvenInsideTheWorkingFolder) {
  test::DownloaderProcess downloader;
  test::RawClient client;
  ASSERT_NO_FATAL_FAILURE(start(downloader, client, out_.path()));
  client.request(site_.url("/a.gif"), "a.gif");
  EXPECT_EQ(client.notice(), "0");
  client.request(site_.url("/a.gif"), "./b.gif");
  EXPECT_EQ(client.notice(), "1");
  EXPECT_TRUE(FilesIn(out_.path()).empty());
}

TEST_F(DownloaderSafety, AZeroByteInTheUrlOrThePathRefusesTheRequest) {
  test::DownloaderProcess downloader;
  test::RawClient client;
  ASSERT_NO_FATAL_FAILURE(start(downloader, client, out_.path()));
  const std::string zero(1, '\0');
  // Cut at the zero byte, the path would name a.gif, the URL /a.gif.
  client.request(site_.url("/a.gif"), (out_.path() / "a.gif").string() + zero + ".txt");
  EXPECT_EQ(client.notice(), "0");
  client.request(site_.url("/a.gif") + zero + "/other", (out_.path() / "b.gif").string());
  EXPECT_EQ(client.notice(), "1");
  EXPECT_TRUE(FilesIn(out_.path()).empty());
  // The next request is served as usual.
  client.request(site_.url("/a.gif"), (out_.path() / "c.gif").string());
  EXPECT_EQ(client.notice(), "2");
  EXPECT_EQ(FilesIn(out_.path()), std::set<std::string>{"c.gif"});
}

TEST_F(DownloaderSafety, OnlyTheTemporaryFileOfAKilledDownloaderIsRemoved) {
  // A crawl may save a file under such a name from a URL, and a user may have
  // one of their own.
  WriteFile(out_.path() / ".VeskDownloader-dead01", "saved from a URL");
  WriteFile(out_.path() / ".VeskDownloader-x", "the user's");
  const std::set<std::string> before = FilesIn(out_.path());
  {
    test::DownloaderProcess killed;
    test::RawClient client;
    ASSERT_NO_FATAL_FAILURE(start(killed, client, out_.path()));
    client.request(site_.url("/slow.gif"), (out_.path() / "slow.gif").string());
    QDeadlineTimer deadline(10000);
    while (FilesIn(out_.path()).size() == before.size() && !deadline.hasExpired())
      QThread::msleep(10);
    ASSERT_EQ(FilesIn(out_.path()).size(), before.size() + 1) << "no temporary file was made";
    killed.kill();  // SIGKILL: the temporary file stays behind
  }
  ASSERT_EQ(FilesIn(out_.path()).size(), before.size() + 1);

  test::DownloaderProcess next;
  test::RawClient client;
  ASSERT_NO_FATAL_FAILURE(start(next, client, out_.path()));
  EXPECT_EQ(FilesIn(out_.path()), before);
  EXPECT_EQ(ReadFile(out_.path() / ".VeskDownloader-dead01"), "saved from a URL");
  // Downloads go on, and leave nothing behind either.
  client.request(site_.url("/a.gif"), (out_.path() / "a.gif").string());
  EXPECT_EQ(client.notice(), "0");
  std::set<std::string> after = before;
  after.insert("a.gif");
  EXPECT_EQ(FilesIn(out_.path()), after);
}

}  // namespace
}  // namespace harvel
