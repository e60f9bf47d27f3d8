// How each download ends, as VeskDownloader tells it in its version-2
// notices: the real process, a real HTTP server on 127.0.0.1, raw frames.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>

#include "downloader/protocol/hello.h"
#include "downloader/protocol/notice.h"
#include "downloader_process.h"
#include "raw_client.h"
#include "temp_folder.h"
#include "test_site_server.h"

namespace harvel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::set<std::string> FilesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

class DownloadOutcomes : public ::testing::Test {
 protected:
  void SetUp() override {
    site_.routes().Get("/a.gif", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("GIF89a-picture", "image/gif");
    });
    site_.start();
    ASSERT_TRUE(downloader_.start());
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
    client_.request(DownloadRequest{site_.url(route), path(name), referer, maxSize});
    const auto message = client_.message(60s);
    EXPECT_TRUE(message);
    if (!message)
      return {};
    EXPECT_EQ(message->kind, MessageKind::FieldNotice);
    return ParseNotice(*message).value_or(DownloadNotice{});
  }

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

}  // namespace
}  // namespace harvel
