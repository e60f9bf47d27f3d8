// Pictures under a request's minimum in the real VeskDownloader: judged from
// their headers as they arrive, directly and fetched ahead alike.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>

#include "downloader/protocol/hello.h"
#include "downloader/protocol/notice.h"
#include "downloader/protocol/staging_messages.h"
#include "downloader_process.h"
#include "raw_client.h"
#include "temp_folder.h"
#include "test_site_server.h"

namespace harvel::test {
namespace {

namespace fs = std::filesystem;
constexpr std::size_t kBody = 20000;
const PictureSize kMinimum{400, 300};

std::string Be32(std::uint32_t v) {
  return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

// A PNG of `width` × `height` as far as its header tells, `kBody` bytes long.
std::string Png(std::uint32_t width, std::uint32_t height) {
  std::string png = std::string("\x89PNG\r\n\x1a\n") + Be32(13) + "IHDR" + Be32(width) +
                    Be32(height) + std::string("\x08\x02\0\0\0", 5) + "crc!";
  png.resize(kBody, 'p');
  return png;
}

bool IsEmpty(const fs::path& folder) {
  for (int i = 0; i < 250 && !fs::is_empty(folder); ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(20);
  }
  return fs::is_empty(folder);
}

class PictureMinimum : public ::testing::Test {
 protected:
  void SetUp() override {
    site.routes().Get("/thumb.png", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(Png(120, 90), "image/png");
    });
    site.routes().Get("/photo.png", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(Png(1200, 300), "image/png");
    });
    site.routes().Get("/page.jpg", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<html><body>" + std::string(kBody, ' ') + "</body></html>", "text/html");
    });
    site.start();
    ASSERT_TRUE(downloader.start());
    ASSERT_TRUE(client.connect());
    client.sendBytes(EncodeHello(Hello{kChannelVersion, {}}));
    const auto answer = client.message();
    ASSERT_TRUE(answer && answer->kind == MessageKind::Hello);
    ASSERT_TRUE(ParseHello(*answer).has(kFeatureMinPicture));
  }

  DownloadNotice fetch(const std::string& name, PictureSize minimum, const std::string& as) {
    client.request(FileRequest{site.url("/" + name), (out.path() / as).string(), {}, {}, minimum});
    const auto message = client.message();
    EXPECT_TRUE(message);
    return message ? ParseNotice(*message).value_or(DownloadNotice{}) : DownloadNotice{};
  }

  void stage(const std::string& name, PictureSize minimum) {
    client.sendBytes(EncodeStage(
        StagedFile{{site.url("/" + name), out.path().string(), {}, {}, minimum}, false, 4}));
  }

  TestSiteServer site;
  DownloaderProcess downloader;
  TempFolder out;
  RawClient client;
};

TEST_F(PictureMinimum, ASmallPictureEndsAfterItsHeaderAndWhatCannotBeJudgedIsKept) {
  const DownloadNotice small = fetch("thumb.png", kMinimum, "thumb.png");
  EXPECT_FALSE(small.landed);
  EXPECT_EQ(small.reason, kTooSmallReason);
  EXPECT_EQ(small.tooSmall, (PictureSize{120, 90}));
  EXPECT_EQ(small.httpStatus, 200);
  // Its own count of body bytes: the header's read, not the body.
  EXPECT_GT(small.bytes, 0);
  EXPECT_LE(small.bytes, 1024);
  EXPECT_TRUE(IsEmpty(out.path())) << "no file, no temporary file";

  const DownloadNotice wide = fetch("photo.png", kMinimum, "photo.png");
  EXPECT_TRUE(wide.landed);
  EXPECT_FALSE(wide.tooSmall);
  EXPECT_EQ(wide.bytes, static_cast<std::int64_t>(kBody));
  EXPECT_EQ(fs::file_size(out.path() / "photo.png"), kBody);
  EXPECT_TRUE(fetch("thumb.png", {}, "kept.png").landed) << "no minimum, no judging";
  EXPECT_TRUE(fetch("page.jpg", kMinimum, "page.jpg").landed) << "not a picture: kept";
  EXPECT_FALSE(fetch("photo.png", {1200, 301}, "short.png").landed);
}

TEST_F(PictureMinimum, AStagedPictureIsJudgedAsARequestWouldBe) {
  stage("thumb.png", kMinimum);
  stage("photo.png", kMinimum);
  stage("page.jpg", kMinimum);
  const DownloadNotice small = fetch("thumb.png", kMinimum, "thumb.png");
  EXPECT_FALSE(small.landed);
  EXPECT_EQ(small.tooSmall, (PictureSize{120, 90}));
  EXPECT_TRUE(fetch("photo.png", kMinimum, "photo.png").landed);
  // Staged with another minimum than asked now: fetched again as asked.
  EXPECT_TRUE(fetch("page.jpg", {}, "page.jpg").landed);
  client.close();
  ASSERT_TRUE(client.waitForHangUp());
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(out.path()))
    names.insert(entry.path().filename().string());
  EXPECT_EQ(names, (std::set<std::string>{"page.jpg", "photo.png"}));
}

}  // namespace
}  // namespace harvel::test
