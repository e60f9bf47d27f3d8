// VeskDownloader as a program: the real process, a real HTTP server on 127.0.0.1
// and raw protocol frames.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QProcess>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>

#include "downloader_process.h"
#include "raw_client.h"
#include "temp_folder.h"
#include "test_site_server.h"

namespace harvel {
namespace {

namespace fs = std::filesystem;
using test::FilesIn;
using test::ReadFile;
using test::WriteFile;

class DownloaderProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    site_.routes().Get("/a.gif", [this](const httplib::Request& request, httplib::Response& res) {
      remotePorts_.insert(request.remote_port);
      res.set_content("GIF89a-picture", "image/gif");
    });
    site_.routes().Get("/b.png", [this](const httplib::Request& request, httplib::Response& res) {
      remotePorts_.insert(request.remote_port);
      res.set_content("PNG-picture", "image/png");
    });
    site_.routes().Get("/missing.gif", [](const httplib::Request&, httplib::Response& res) {
      res.status = 404;
      res.set_content("not here", "text/plain");
    });
    site_.routes().Get("/broken.gif", [](const httplib::Request&, httplib::Response& res) {
      res.status = 500;
      res.set_content("oops", "text/plain");
    });
    site_.serveCutOff("/drop.gif");
    site_.routes().Get("/moved.gif", [](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("/a.gif");
    });
    site_.routes().Get("/loop.gif", [](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("/loop.gif");
    });
    // Dribbles bytes for ten seconds, or until the test ends.
    site_.serveSlowly("/slow.gif", "image/gif", 200, 'x');
    site_.start();
    ASSERT_TRUE(downloader_.start());
    ASSERT_TRUE(client_.connect());
  }

  void TearDown() override {
    downloader_.kill();
    site_.stop();
  }

  fs::path folder() const { return out_.path(); }

  std::set<int> remotePorts_;
  test::TempFolder out_;
  test::TestSiteServer site_;
  test::DownloaderProcess downloader_;
  test::RawClient client_;
};

TEST_F(DownloaderProgram, AnswersEachRequestWithTheCountStartingAtZero) {
  client_.request(site_.url("/a.gif"), (folder() / "a.gif").string());
  EXPECT_EQ(client_.notice(), "0");
  client_.request(site_.url("/b.png"), (folder() / "b.png").string());
  EXPECT_EQ(client_.notice(), "1");
  EXPECT_EQ(ReadFile(folder() / "a.gif"), "GIF89a-picture");
  EXPECT_EQ(ReadFile(folder() / "b.png"), "PNG-picture");
  // One reused handle: both downloads went over the same kept-alive connection.
  EXPECT_EQ(remotePorts_.size(), 1u);
}

TEST_F(DownloaderProgram, FailedDownloadsAreAnsweredAndLeaveNoFileAndOldFilesUntouched) {
  WriteFile(folder() / "kept.gif", "old picture");
  client_.request(site_.url("/missing.gif"), (folder() / "kept.gif").string());
  EXPECT_EQ(client_.notice(), "0");
  client_.request(site_.url("/drop.gif"), (folder() / "kept.gif").string());
  EXPECT_EQ(client_.notice(), "1");
  client_.request(site_.url("/broken.gif"), (folder() / "new.gif").string());
  EXPECT_EQ(client_.notice(), "2");
  client_.request(site_.url("/drop.gif"), (folder() / "dropped.gif").string());
  EXPECT_EQ(client_.notice(), "3");
  client_.request(site_.url("/loop.gif"), (folder() / "loop.gif").string());
  EXPECT_EQ(client_.notice(), "4");

  EXPECT_EQ(ReadFile(folder() / "kept.gif"), "old picture");
  EXPECT_EQ(FilesIn(folder()), std::set<std::string>{"kept.gif"});
}

TEST_F(DownloaderProgram, LeavesFilesNamedLikeTemporaryFilesThatNoDownloaderWrote) {
  // Only a file named in the record of a killed downloader is removed (see
  // downloader_safety_test): one saved from a URL under such a name stays.
  WriteFile(folder() / ".VeskDownloader-dead01", "a picture saved under that name");
  WriteFile(folder() / ".hidden-but-not-ours", "keep");
  client_.request(site_.url("/a.gif"), (folder() / "a.gif").string());
  EXPECT_EQ(client_.notice(), "0");
  EXPECT_EQ(FilesIn(folder()),
            (std::set<std::string>{".VeskDownloader-dead01", ".hidden-but-not-ours", "a.gif"}));
}

TEST_F(DownloaderProgram, AnEmptyBodyMakesAnEmptyFileAndTheNextRequestGoesOn) {
  site_.routes().Get("/empty.gif", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("", "image/gif");
  });
  WriteFile(folder() / "empty.gif", "old picture");
  client_.request(site_.url("/empty.gif"), (folder() / "empty.gif").string());
  EXPECT_EQ(client_.notice(), "0");
  EXPECT_EQ(ReadFile(folder() / "empty.gif"), "");
  client_.request(site_.url("/a.gif"), (folder() / "a.gif").string());
  EXPECT_EQ(client_.notice(), "1");
  EXPECT_EQ(FilesIn(folder()), (std::set<std::string>{"a.gif", "empty.gif"}));
}

TEST_F(DownloaderProgram, ARequestIntoAMissingFolderLeavesTheNextOneWhole) {
  client_.request(site_.url("/a.gif"), (folder() / "gone" / "a.gif").string());
  EXPECT_EQ(client_.notice(), "0");
  client_.request(site_.url("/b.png"), (folder() / "b.png").string());
  EXPECT_EQ(client_.notice(), "1");
  EXPECT_EQ(ReadFile(folder() / "b.png"), "PNG-picture");
  EXPECT_EQ(FilesIn(folder()), std::set<std::string>{"b.png"});
}

TEST_F(DownloaderProgram, FollowsRedirects) {
  client_.request(site_.url("/moved.gif"), (folder() / "moved.gif").string());
  EXPECT_EQ(client_.notice(), "0");
  EXPECT_EQ(ReadFile(folder() / "moved.gif"), "GIF89a-picture");
}

TEST_F(DownloaderProgram, CommasInTheUrlAndThePathAreCarriedExactly) {
  site_.routes().Get("/x,y.gif", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("comma picture", "image/gif");
  });
  fs::create_directory(folder() / "Tom, Jerry");
  client_.request(site_.url("/x,y.gif"), (folder() / "Tom, Jerry" / "x,y.gif").string());
  EXPECT_EQ(client_.notice(), "0");
  EXPECT_EQ(ReadFile(folder() / "Tom, Jerry" / "x,y.gif"), "comma picture");
}

TEST_F(DownloaderProgram, RequestsThatCarryNoDownloadStillGetTheirNotice) {
  client_.request("", (folder() / "a.gif").string());
  EXPECT_EQ(client_.notice(), "0");
  client_.request(site_.url("/a.gif"), "");
  EXPECT_EQ(client_.notice(), "1");
  // A URL length that does not point at a comma: the text has no separator.
  client_.sendBytes(std::string("R\x00\x00\x00\x0a\x00\x00\x00\x02", 9) + "abcdef");
  EXPECT_EQ(client_.notice(), "2");
  // Relative paths and folders that do not exist.
  client_.request(site_.url("/a.gif"), "relative/a.gif");
  EXPECT_EQ(client_.notice(), "3");
  client_.request(site_.url("/a.gif"), (folder() / "no such folder" / "a.gif").string());
  EXPECT_EQ(client_.notice(), "4");
  // Only http, https and ftp are fetched: no local file is copied.
  WriteFile(folder() / "secret.txt", "secret");
  client_.request("file://" + (folder() / "secret.txt").string(), (folder() / "copy").string());
  EXPECT_EQ(client_.notice(), "5");
  EXPECT_EQ(FilesIn(folder()), std::set<std::string>{"secret.txt"});
}

TEST_F(DownloaderProgram, ServesSeveralClientsOneAfterAnotherInArrivalOrder) {
  test::RawClient second;
  ASSERT_TRUE(second.connect());
  // Arrival order: each request has been read before the next is sent.
  client_.request(site_.url("/slow.gif"), (folder() / "1.gif").string());
  ASSERT_TRUE(client_.sync());
  second.request(site_.url("/b.png"), (folder() / "2.png").string());
  ASSERT_TRUE(second.sync());
  client_.request(site_.url("/a.gif"), (folder() / "3.gif").string());
  site_.finishSlowAnswers();
  EXPECT_EQ(client_.notice(), "0");
  EXPECT_EQ(second.notice(), "1");
  EXPECT_EQ(client_.notice(), "2");
  EXPECT_EQ(FilesIn(folder()), (std::set<std::string>{"1.gif", "2.png", "3.gif"}));
}

TEST_F(DownloaderProgram, StaysResponsiveWhileADownloadRuns) {
  client_.request(site_.url("/slow.gif"), (folder() / "slow.gif").string());
  ASSERT_TRUE(site_.waitForSlowStart());
  // A new client can connect and queue its request behind the slow one.
  test::RawClient second;
  ASSERT_TRUE(second.connect());
  second.request(site_.url("/a.gif"), (folder() / "a.gif").string());
  site_.finishSlowAnswers();
  EXPECT_EQ(client_.notice(), "0");
  EXPECT_EQ(second.notice(), "1");
}

TEST_F(DownloaderProgram, CloseEndsTheProgramAtOnceEvenMidDownload) {
  client_.request(site_.url("/slow.gif"), (folder() / "slow.gif").string());
  ASSERT_TRUE(site_.waitForSlowStart());
  const auto start = std::chrono::steady_clock::now();
  test::RawClient closer;
  ASSERT_TRUE(closer.connect());
  closer.close();
  ASSERT_TRUE(downloader_.process().waitForFinished(5000));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(downloader_.process().exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(downloader_.process().exitCode(), 0);
  EXPECT_TRUE(FilesIn(folder()).empty()) << "no temporary file may be left";
  EXPECT_FALSE(test::DownloaderAnswers());
}

TEST_F(DownloaderProgram, ASecondDownloaderDoesNotTakeOverTheSocket) {
  QProcess second;
  second.start(QString::fromStdString(test::DownloaderProgram()), {QStringLiteral("wake")});
  ASSERT_TRUE(second.waitForFinished(5000));
  EXPECT_NE(second.exitCode(), 0);
  client_.request(site_.url("/a.gif"), (folder() / "a.gif").string());
  EXPECT_EQ(client_.notice(), "0");
}

TEST_F(DownloaderProgram, AClientThatHangsUpBeforeItsNoticesLeavesTheOthersServed) {
  // Requests that carry no download are answered while they are being read: the
  // answers meet a connection that is already closed.
  const int raw = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(raw, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string endpoint = test::EndpointPath();
  ASSERT_LT(endpoint.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, endpoint.c_str(), endpoint.size() + 1);
  ASSERT_EQ(::connect(raw, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  std::string requests;
  for (int i = 0; i < 200; ++i)
    requests += EncodeRequest("", (folder() / "none.gif").string());
  ASSERT_EQ(::send(raw, requests.data(), requests.size(), MSG_NOSIGNAL),
            static_cast<ssize_t>(requests.size()));
  ::close(raw);
  // Connections are taken in the order they came and a connection's messages
  // are read as it is taken: once a client that came after it is answered,
  // the requests of the one that hung up have all been read.
  test::RawClient after;
  ASSERT_TRUE(after.connect());
  ASSERT_TRUE(after.sync());

  client_.request(site_.url("/a.gif"), (folder() / "a.gif").string());
  EXPECT_EQ(client_.notice(), "200");
  EXPECT_EQ(ReadFile(folder() / "a.gif"), "GIF89a-picture");
}

TEST_F(DownloaderProgram, AClientThatSendsGarbageIsDroppedAndOthersAreServed) {
  test::RawClient rogue;
  ASSERT_TRUE(rogue.connect());
  rogue.sendBytes(std::string("N\x7f\xff\xff\xff", 5));
  EXPECT_TRUE(rogue.waitForHangUp());
  client_.request(site_.url("/a.gif"), (folder() / "a.gif").string());
  EXPECT_EQ(client_.notice(), "0");
}

// Started by hand with anything but exactly `wake`, it refuses.
TEST(DownloaderCommandLine, AnythingButWakeIsRefused) {
  const QList<QStringList> refused = {{},
                                      {QStringLiteral("Wake")},
                                      {QStringLiteral("wake"), QStringLiteral("now")},
                                      {QStringLiteral(" wake")},
                                      {QStringLiteral("")}};
  for (const QStringList& arguments : refused) {
    QProcess process;
    process.start(QString::fromStdString(test::DownloaderProgram()), arguments);
    ASSERT_TRUE(process.waitForFinished(10000)) << arguments.join(' ').toStdString();
    EXPECT_NE(process.exitCode(), 0) << arguments.join(' ').toStdString();
    EXPECT_EQ(process.readAllStandardError().trimmed().toStdString(),
              "Harvel.exeから起動してください");
    EXPECT_FALSE(test::DownloaderAnswers());
  }
}

}  // namespace
}  // namespace harvel
