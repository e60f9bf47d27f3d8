// How each download ends, as VeskDownloader tells it in its version-2
// notices: the real process, a real HTTP server on 127.0.0.1, raw frames.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "downloader/protocol/hello.h"
#include "downloader/protocol/notice.h"
#include "downloader_process.h"
#include "raw_client.h"
#include "temp_folder.h"
#include "test_site_server.h"

namespace harvel {
namespace {

namespace fs = std::filesystem;
using test::FilesIn;
using namespace std::chrono_literals;

class DownloadOutcomes : public ::testing::Test {
 protected:
  void SetUp() override {
    site_.routes().Get("/a.gif", [this](const httplib::Request& request, httplib::Response& res) {
      referers_.push_back(request.get_header_value("Referer"));
      res.set_content("GIF89a-picture", "image/gif");
    });
    site_.routes().Get("/missing.gif", [this](const httplib::Request&, httplib::Response& res) {
      ++hits_;
      res.status = 404;
      res.set_content("not here", "text/html");
    });
    // Busy for the first two tries, then the file.
    site_.routes().Get("/busy.gif", [this](const httplib::Request&, httplib::Response& res) {
      hitTimes_.push_back(std::chrono::steady_clock::now());
      if (++hits_ <= busyAnswers_) {
        res.status = busyStatus_;
        if (!retryAfter_.empty())
          res.set_header("Retry-After", retryAfter_);
        res.set_content("busy", "text/plain");
        return;
      }
      res.set_content("finally", "image/gif");
    });
    site_.serveCutOff("/cut.gif");
    // A page with validators: unchanged for a request that names its ETag.
    site_.routes().Get("/page.html", [](const httplib::Request& request, httplib::Response& res) {
      res.set_header("ETag", "\"v2\"");
      res.set_header("Last-Modified", "Tue, 01 Jul 2025 10:00:00 GMT");
      if (request.get_header_value("If-None-Match") == "\"v2\"") {
        res.status = 304;
        return;
      }
      res.set_content("<p>v2</p>", "text/html");
    });
    site_.routes().Get("/big.bin", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string(5000, 'b'), "application/octet-stream");
    });
    // The same size without a Content-Length: only what arrives tells.
    site_.routes().Get("/chunked.bin", [](const httplib::Request&, httplib::Response& res) {
      res.set_chunked_content_provider("application/octet-stream",
                                       [](size_t, httplib::DataSink& sink) {
                                         const std::string part(500, 'c');
                                         for (int i = 0; i < 10; ++i)
                                           sink.write(part.data(), part.size());
                                         sink.done();
                                         return true;
                                       });
    });
    // Two bytes a second.
    site_.serveSlowly("/trickle.gif", "image/gif", 100, 'x', std::chrono::milliseconds(500));
    site_.start();
    // A slow transfer is given up after 2 s, a retry comes after 50 ms.
    qputenv("VESKDOWNLOADER_TEST_LIMITS", "low-speed-seconds=2,retry-pause-ms=50");
    ASSERT_TRUE(downloader_.start());
    qunsetenv("VESKDOWNLOADER_TEST_LIMITS");
    ASSERT_TRUE(client_.connect());
  }
  void TearDown() override {
    downloader_.kill();
    site_.stop();
  }

  std::string path(const std::string& name) const { return (out_.path() / name).string(); }

  // Sends a version-2 request and reads its notice.
  DownloadNotice fetch(const std::string& route, const std::string& name,
                       const std::string& referer = {}, std::optional<std::int64_t> maxSize = {}) {
    client_.request(FileRequest{site_.url(route), path(name), referer, maxSize, {}});
    const auto message = client_.message(60s);
    EXPECT_TRUE(message);
    if (!message)
      return {};
    EXPECT_EQ(message->kind, MessageKind::FieldNotice);
    return ParseNotice(*message).value_or(DownloadNotice{});
  }

  std::vector<std::string> referers_;
  std::vector<std::chrono::steady_clock::time_point> hitTimes_;
  std::atomic<int> hits_{0};
  int busyAnswers_ = 2;
  int busyStatus_ = 503;
  std::string retryAfter_;
  test::TempFolder out_;
  test::TestSiteServer site_;
  test::DownloaderProcess downloader_;
  test::RawClient client_;
};

TEST_F(DownloadOutcomes, AHelloIsAnsweredAndAClientWithoutOneIsSpokenToInVersion1) {
  client_.sendBytes(EncodeHello(Hello{kChannelVersion, {}}));
  const auto answer = client_.message(5s);
  ASSERT_TRUE(answer);
  ASSERT_EQ(answer->kind, MessageKind::Hello);
  const Hello hello = ParseHello(*answer);
  EXPECT_EQ(hello.version, kChannelVersion);
  EXPECT_TRUE(hello.has(kFeatureReferer));
  EXPECT_TRUE(hello.has(kFeatureMaxSize));

  const DownloadNotice landed = fetch("/a.gif", "a.gif");
  EXPECT_TRUE(landed.detailed);
  EXPECT_TRUE(landed.landed);
  EXPECT_EQ(landed.count, "0");
  EXPECT_EQ(landed.httpStatus, 200);
  EXPECT_EQ(landed.bytes, 14);
  EXPECT_EQ(landed.contentType, "image/gif");
  EXPECT_EQ(landed.finalUrl, site_.url("/a.gif"));

  // Another client, of the first version: no hello, `R` answered by `N`.
  test::RawClient old;
  ASSERT_TRUE(old.connect());
  old.request(site_.url("/a.gif"), path("b.gif"));
  const auto notice = old.message(20s);
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->kind, MessageKind::Notice);
  EXPECT_EQ(notice->text, "1");
  EXPECT_EQ(FilesIn(out_.path()), (std::set<std::string>{"a.gif", "b.gif"}));
}

TEST_F(DownloadOutcomes, AConditionalRequestForAnUnchangedPageTouchesNothing) {
  client_.sendBytes(EncodeHello(Hello{kChannelVersion, {}}));
  const auto hello = client_.message(5s);
  ASSERT_TRUE(hello);
  EXPECT_TRUE(ParseHello(*hello).has(kFeatureConditional));
  const auto ask = [this](const std::string& etag, bool validators) {
    FileRequest request{site_.url("/page.html"), path("page.html"), "", {}};
    request.validators = validators;
    request.ifNoneMatch = etag;
    client_.request(request);
    const auto message = client_.message(60s);
    EXPECT_TRUE(message);
    return message ? ParseNotice(*message).value_or(DownloadNotice{}) : DownloadNotice{};
  };

  // Validators only for a request that asks for them.
  EXPECT_TRUE(ask("", false).etag.empty());
  const DownloadNotice first = ask("", true);
  EXPECT_TRUE(first.landed);
  EXPECT_EQ(first.etag, "\"v2\"");
  EXPECT_EQ(first.lastModified, "Tue, 01 Jul 2025 10:00:00 GMT");

  test::WriteFile(path("page.html"), "kept as it was");
  const DownloadNotice unchanged = ask("\"v2\"", true);
  EXPECT_FALSE(unchanged.landed);
  EXPECT_TRUE(unchanged.notModified);
  EXPECT_EQ(unchanged.httpStatus, 304);
  EXPECT_EQ(out_.read("page.html"), "kept as it was");
  EXPECT_EQ(FilesIn(out_.path()), (std::set<std::string>{"page.html"}));

  // A stale validator brings the page; a line break in one is never sent.
  EXPECT_TRUE(ask("\"v1\"", true).landed);
  EXPECT_EQ(out_.read("page.html"), "<p>v2</p>");
  EXPECT_TRUE(ask("\"v2\"\r\nX-Injected: 1", true).landed);
}

TEST_F(DownloadOutcomes, ANotFoundIsReportedWithItsStatusAndNotTriedAgain) {
  const DownloadNotice notice = fetch("/missing.gif", "missing.gif");
  EXPECT_FALSE(notice.landed);
  EXPECT_EQ(notice.reason, failure::kHttpStatus);
  EXPECT_EQ(notice.reasonText, "HTTP 404");
  EXPECT_EQ(notice.httpStatus, 404);
  EXPECT_EQ(notice.contentType, "text/html");
  EXPECT_EQ(hits_, 1);
  EXPECT_TRUE(FilesIn(out_.path()).empty());
}

TEST_F(DownloadOutcomes, ABusyServerIsTriedAgainAndOnlyTheLastTryIsReported) {
  const DownloadNotice notice = fetch("/busy.gif", "busy.gif");
  EXPECT_TRUE(notice.landed) << notice.reasonText;
  EXPECT_EQ(notice.httpStatus, 200);
  EXPECT_EQ(hits_, 3);
  EXPECT_EQ(test::ReadFile(out_.path() / "busy.gif"), "finally");

  // Too many requests, all three times: the last answer is the outcome.
  hits_ = 0;
  busyAnswers_ = 10;
  busyStatus_ = 429;
  const DownloadNotice failed = fetch("/busy.gif", "again.gif");
  EXPECT_FALSE(failed.landed);
  EXPECT_EQ(failed.httpStatus, 429);
  EXPECT_EQ(hits_, 3);
  EXPECT_EQ(FilesIn(out_.path()), std::set<std::string>{"busy.gif"});
}

TEST_F(DownloadOutcomes, TheServersRetryAfterIsWaitedFor) {
  busyAnswers_ = 1;
  retryAfter_ = "1";
  const DownloadNotice notice = fetch("/busy.gif", "busy.gif");
  EXPECT_TRUE(notice.landed) << notice.reasonText;
  ASSERT_EQ(hitTimes_.size(), 2u);
  // The test's own pause is 50 ms; the server asked for a second.
  EXPECT_GE(hitTimes_[1] - hitTimes_[0], std::chrono::milliseconds(900));
  EXPECT_GE(notice.elapsedMs, 900);
}

TEST_F(DownloadOutcomes, ARefusedConnectionIsReportedAsSuch) {
  test::TestSiteServer gone;
  gone.start();
  const std::string url = gone.url("/a.gif");
  gone.stop();  // nothing listens on its port any more
  client_.request(FileRequest{url, path("a.gif"), "", {}, {}});
  const auto message = client_.message(30s);
  ASSERT_TRUE(message);
  const auto notice = ParseNotice(*message);
  ASSERT_TRUE(notice);
  EXPECT_FALSE(notice->landed);
  EXPECT_EQ(notice->reason, failure::kRefused) << notice->reasonText;
  EXPECT_EQ(notice->httpStatus, 0);
  EXPECT_TRUE(FilesIn(out_.path()).empty());
}

TEST_F(DownloadOutcomes, ABodyCutOffBeforeItsLengthLeavesNoFile) {
  test::WriteFile(out_.path() / "cut.gif", "old picture");
  const DownloadNotice notice = fetch("/cut.gif", "cut.gif");
  EXPECT_FALSE(notice.landed);
  EXPECT_EQ(notice.reason, failure::kCutOff) << notice.reasonText;
  EXPECT_EQ(test::ReadFile(out_.path() / "cut.gif"), "old picture");
  EXPECT_EQ(FilesIn(out_.path()), std::set<std::string>{"cut.gif"});
}

TEST_F(DownloadOutcomes, ThePageThatLinkedTheFileIsSentAsTheReferer) {
  EXPECT_TRUE(fetch("/a.gif", "a.gif", "http://e.test/gallery.html").landed);
  EXPECT_TRUE(fetch("/a.gif", "b.gif").landed);
  EXPECT_EQ(referers_, (std::vector<std::string>{"http://e.test/gallery.html", ""}));
}

TEST_F(DownloadOutcomes, ATransferThatStaysTooSlowIsGivenUp) {
  const DownloadNotice notice = fetch("/trickle.gif", "trickle.gif");
  EXPECT_FALSE(notice.landed);
  EXPECT_EQ(notice.reason, failure::kTooSlow) << notice.reasonText;
  EXPECT_TRUE(FilesIn(out_.path()).empty());
  site_.finishSlowAnswers();
}

TEST_F(DownloadOutcomes, AFileOverTheMaxSizeIsRefusedWhetherItsLengthIsToldOrNot) {
  const DownloadNotice told = fetch("/big.bin", "big.bin", "", 1000);
  EXPECT_FALSE(told.landed);
  EXPECT_EQ(told.reason, failure::kTooLarge) << told.reasonText;
  const DownloadNotice untold = fetch("/chunked.bin", "chunked.bin", "", 1000);
  EXPECT_FALSE(untold.landed);
  EXPECT_EQ(untold.reason, failure::kTooLarge) << untold.reasonText;
  EXPECT_TRUE(FilesIn(out_.path()).empty());

  // Exactly the limit is allowed.
  EXPECT_TRUE(fetch("/big.bin", "big.bin", "", 5000).landed);
  EXPECT_TRUE(fetch("/chunked.bin", "chunked.bin", "", 5000).landed);
  EXPECT_EQ(fs::file_size(out_.path() / "chunked.bin"), 5000u);
}

TEST_F(DownloadOutcomes, FoldersAndNamesThatCannotBeWrittenAreReported) {
  test::WriteFile(out_.path() / "plain-file", "not a folder");
  const DownloadNotice intoAFile = fetch("/a.gif", "plain-file/a.gif");
  EXPECT_FALSE(intoAFile.landed);
  EXPECT_EQ(intoAFile.reason, failure::kUnwritable) << intoAFile.reasonText;

  const DownloadNotice missing = fetch("/a.gif", "no-such-folder/a.gif");
  EXPECT_FALSE(missing.landed);
  EXPECT_EQ(missing.reason, failure::kUnwritable) << missing.reasonText;

  const DownloadNotice tooLong = fetch("/a.gif", std::string(300, 'n') + ".gif");
  EXPECT_FALSE(tooLong.landed);
  EXPECT_EQ(tooLong.reason, failure::kNameTooLong) << tooLong.reasonText;
  EXPECT_EQ(FilesIn(out_.path()), std::set<std::string>{"plain-file"});

  // Schemes other than http, https and ftp are refused before any transfer.
  client_.request(FileRequest{"file:///etc/passwd", path("passwd"), "", {}, {}});
  const auto refused = ParseNotice(client_.message(20s).value_or(Message{}));
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->reason, failure::kScheme);
  EXPECT_EQ(FilesIn(out_.path()), std::set<std::string>{"plain-file"});
}

}  // namespace
}  // namespace harvel
