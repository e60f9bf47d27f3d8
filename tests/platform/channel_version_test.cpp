// Which channel version the crawl's side speaks: version 2 with a downloader
// that answers the hello, version 1 with an older one that drops a client at
// the hello.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

#include "downloader/protocol/frame.h"
#include "downloader_process.h"
#include "platform/downloader_channel.h"
#include "platform/qt_event_pump.h"
#include "pump_until.h"
#include "temp_folder.h"
#include "test_site_server.h"

namespace harvel {
namespace {

using namespace std::chrono_literals;

using test::PumpUntil;

// A downloader of version 1 on the downloader's socket, on a thread of its own:
// it drops a connection at the first byte of a kind it does not know and
// answers each `R` with the running count, downloading nothing.
class OldDownloader {
 public:
  OldDownloader() {
    listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = test::EndpointPath();
    std::filesystem::remove(path);
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    bound_ = bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
             listen(listener_, 8) == 0;
    thread_ = std::thread([this] { serve(); });
  }
  ~OldDownloader() {
    stop_ = true;
    thread_.join();
    close(listener_);
    std::filesystem::remove(test::EndpointPath());
  }
  bool bound() const { return bound_; }
  int connections() const { return connections_; }
  int requests() const { return requests_; }

 private:
  bool readable(int fd) {
    pollfd one{fd, POLLIN, 0};
    return poll(&one, 1, 50) > 0;
  }

  void serve() {
    while (!stop_) {
      if (!readable(listener_))
        continue;
      const int client = accept(listener_, nullptr, nullptr);
      if (client < 0)
        continue;
      ++connections_;
      talk(client);
      close(client);
    }
  }

  void talk(int client) {
    FrameDecoder decoder;
    while (!stop_) {
      if (!readable(client))
        continue;
      char bytes[4096];
      const ssize_t count = read(client, bytes, sizeof bytes);
      if (count <= 0)
        return;
      decoder.feed(std::string_view(bytes, static_cast<std::size_t>(count)));
      while (auto message = decoder.next()) {
        if (message->kind != MessageKind::Request)
          return;  // a kind version 1 does not know: the client is dropped
        const std::string notice = EncodeNotice(std::to_string(requests_++));
        if (write(client, notice.data(), notice.size()) < 0)
          return;
      }
    }
  }

  int listener_ = -1;
  bool bound_ = false;
  std::atomic<bool> stop_{false};
  std::atomic<int> connections_{0};
  std::atomic<int> requests_{0};
  std::thread thread_;
};

TEST(ChannelVersion, AnOlderDownloaderThatDropsTheHelloIsSpokenToInVersion1) {
  test::KillRunningDownloader();
  OldDownloader old;
  ASSERT_TRUE(old.bound());
  DownloaderChannel channel(QString::fromStdString(test::ProgramFolderOfBuild()));
  ASSERT_TRUE(channel.connectToRunning()) << channel.errorText().toStdString();
  EXPECT_EQ(channel.version(), 1);
  EXPECT_FALSE(channel.canStage());  // one request at a time

  auto mailbox = std::make_shared<Mailbox>();
  channel.Downloading(
      FileRequest{"http://127.0.0.1:9/a.gif", "/tmp/a.gif", "http://127.0.0.1:9/", 100, {}},
      mailbox);
  ASSERT_TRUE(PumpUntil([&] { return !mailbox->text.empty(); }));
  EXPECT_EQ(mailbox->text, "0");
  // A version-1 notice tells nothing more: the file counts as landed, as it always did.
  EXPECT_TRUE(mailbox->outcome.landed);
  EXPECT_FALSE(mailbox->outcome.detailed);
  EXPECT_EQ(old.requests(), 1);
  // The hello's connection, dropped, and the one that carried the request.
  EXPECT_EQ(old.connections(), 2);

  // It is sent no settings: a crawl goes on with none, and stops before its
  // first request with any.
  EXPECT_EQ(channel.applySettings({}), DownloaderChannel::SettingsResult::Applied);
  ConnectionSettings cookies;
  cookies.cookiesFile = "/tmp/cookies.txt";
  EXPECT_EQ(channel.applySettings(cookies), DownloaderChannel::SettingsResult::NotTaken);
  EXPECT_NE(channel.errorText().indexOf(QStringLiteral("older")), -1);
  EXPECT_EQ(old.connections(), 2);
  EXPECT_TRUE(channel.isConnected());
}

TEST(ChannelVersion, TheDownloaderAnswersTheHelloAndEachRequestWithItsOutcome) {
  test::TestSiteServer site;
  site.routes().Get("/a.gif", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("GIF89a", "image/gif");
  });
  site.routes().Get("/p.html", [](const httplib::Request& request, httplib::Response& res) {
    res.set_header("ETag", "\"v\"");
    if (request.get_header_value("If-None-Match") == "\"v\"") {
      res.status = 304;
      return;
    }
    res.set_content("<p>", "text/html");
  });
  site.start();
  test::TempFolder out;
  test::DownloaderProcess downloader;
  ASSERT_TRUE(downloader.start());
  DownloaderChannel channel(QString::fromStdString(test::ProgramFolderOfBuild()));
  ASSERT_TRUE(channel.connectToRunning()) << channel.errorText().toStdString();
  EXPECT_EQ(channel.version(), 2);
  EXPECT_TRUE(channel.canStage());

  auto landed = std::make_shared<Mailbox>();
  channel.Downloading(FileRequest{site.url("/a.gif"), (out.path() / "a.gif").string(), "", {}, {}},
                      landed);
  ASSERT_TRUE(PumpUntil([&] { return !landed->text.empty(); }));
  EXPECT_EQ(landed->text, "0");
  EXPECT_TRUE(landed->outcome.detailed);
  EXPECT_TRUE(landed->outcome.landed);

  auto missing = std::make_shared<Mailbox>();
  channel.Downloading(
      FileRequest{site.url("/none.gif"), (out.path() / "b.gif").string(), "", {}, {}}, missing);
  ASSERT_TRUE(PumpUntil([&] { return !missing->text.empty(); }));
  EXPECT_EQ(missing->text, "1");
  EXPECT_FALSE(missing->outcome.landed);
  EXPECT_FALSE(std::filesystem::exists(out.path() / "b.gif"));

  // A page with its validators: they come back, and asked with them again it
  // is not modified.
  FileRequest page{site.url("/p.html"), (out.path() / "p.html").string(), "", {}};
  page.validators = true;
  for (const bool again : {false, true}) {
    auto box = std::make_shared<Mailbox>();
    page.ifNoneMatch = again ? "\"v\"" : "";
    channel.Downloading(page, box);
    ASSERT_TRUE(PumpUntil([&] { return !box->text.empty(); }));
    EXPECT_EQ(box->outcome.etag, "\"v\"");
    EXPECT_EQ(box->outcome.landed, !again);
    EXPECT_EQ(box->outcome.notModified, again);
    EXPECT_FALSE(box->outcome.failed());
  }

  // What no frame can carry is refused before it is sent.
  const std::string huge(1 << 20, 'a');
  EXPECT_FALSE(channel.CanCarry(FileRequest{"http://e.test/" + huge, "/tmp/x", "", {}, {}}));
  EXPECT_TRUE(channel.CanCarry(FileRequest{"http://e.test/x", "/tmp/x", huge, {}, {}}));
  downloader.kill();  // its kept-alive connection would hold the server's stop
  site.stop();
}

}  // namespace
}  // namespace harvel
