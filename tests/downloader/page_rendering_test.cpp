// Rendering pages in the real VeskDownloader with the real browser: the page
// as its scripts left it lands with the pictures it loaded (kept, so that the
// crawl's requests for them cost the server nothing more), the cookies its
// scripts set reach later downloads, a page that never goes quiet ends on
// time, what is no web page is downloaded as it is, a proxy's login is given
// to the proxy alone, and no browser process outlives its client.
#include <gtest/gtest.h>
#include <signal.h>
#include <zlib.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "browser_processes.h"
#include "downloader/protocol/notice.h"
#include "downloader/protocol/settings_message.h"
#include "downloader_process.h"
#include "raw_client.h"
#include "scoped_env.h"
#include "temp_folder.h"
#include "test_site_server.h"

namespace harvel::test {
namespace {

constexpr const char* kGallery = R"(<!DOCTYPE html><html><body><div id="list"></div><script>
document.cookie = "session=from-script; path=/";
fetch("list.json").then(r => r.json()).then(names => {
  for (const name of names) {
    const img = document.createElement("img");
    img.src = name;
    document.getElementById("list").appendChild(img);
  }
});
</script></body></html>)";

// A script asks the server something every 100 ms, for ever.
constexpr const char* kNeverQuiet = R"(<!DOCTYPE html><html><body><script>
setInterval(() => fetch("tick?" + Date.now()), 100);
</script><img src="still.png"></body></html>)";

// Every window it opens opens as many again.
constexpr const char* kWindows = R"(<!DOCTYPE html><html><body><img src="still.png"><script>
for (let i = 0; i < 50; ++i) window.open("windows.html?" + i);
alert("stay"); confirm("sure?");
</script></body></html>)";

// The browser's processes of this test run: its renderers, or its main
// processes (the browser and the script that starts it).
std::vector<pid_t> BrowserProcesses(bool renderers) {
  const char* temp = std::getenv("TMPDIR");
  const std::string profile =
      std::string("--user-data-dir=") + (temp != nullptr ? temp : "/tmp") + "/harvel-browser-";
  std::map<pid_t, pid_t> parents;
  std::map<pid_t, std::string> commands;
  std::error_code failed;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", failed)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos)
      continue;
    const auto read = [&](const char* file) {
      std::ifstream in(entry.path() / file, std::ios::binary);
      return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    const pid_t pid = static_cast<pid_t>(std::stol(name));
    const std::string stat = read("stat");
    const auto close = stat.rfind(')');
    if (close == std::string::npos)
      continue;
    parents[pid] = static_cast<pid_t>(std::atol(stat.c_str() + close + 4));  // ") S ppid"
    commands[pid] = read("cmdline");
  }
  const auto isMain = [&](pid_t pid) {
    return commands[pid].find(profile) != std::string::npos &&
           commands[pid].find("--type=") == std::string::npos;
  };
  std::vector<pid_t> found;
  for (const auto& [pid, command] : commands) {
    if (!renderers) {
      if (isMain(pid))
        found.push_back(pid);
      continue;
    }
    if (command.find("--type=renderer") == std::string::npos)
      continue;
    for (pid_t above = parents[pid]; above > 1; above = parents[above]) {
      if (isMain(above)) {
        found.push_back(pid);
        break;
      }
    }
  }
  return found;
}

// A real PNG of one colour, which the browser shows.
std::string Png(std::uint32_t width, std::uint32_t height) {
  const auto number = [](std::uint32_t value) {
    std::string bytes;
    for (int shift = 24; shift >= 0; shift -= 8)
      bytes += static_cast<char>((value >> shift) & 0xff);
    return bytes;
  };
  const auto chunk = [&](const std::string& type, const std::string& data) {
    const std::string body = type + data;
    const auto crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size());
    return number(static_cast<std::uint32_t>(data.size())) + body +
           number(static_cast<std::uint32_t>(crc));
  };
  const std::string rows(static_cast<std::size_t>(height) * (1 + 3 * width), '\0');
  uLongf packedSize = compressBound(rows.size());
  std::string packed(packedSize, '\0');
  compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
           reinterpret_cast<const Bytef*>(rows.data()), rows.size());
  packed.resize(packedSize);
  return std::string("\x89PNG\r\n\x1a\n", 8) +
         chunk("IHDR", number(width) + number(height) + std::string("\x08\x02\0\0\0", 5)) +
         chunk("IDAT", packed) + chunk("IEND", "");
}

constexpr const char* kSizes = R"(<!DOCTYPE html><html><body><script>
fetch("list.json").then(() => {
  for (const name of ["large.png", "small.png", "heavy.png", "again.png"]) {
    const img = document.createElement("img");
    img.src = "sized/" + name;
    document.body.appendChild(img);
  }
});
</script></body></html>)";

// A forwarding proxy on 127.0.0.1 that lets through only requests with its
// login (me / "pr0xy pass!") and counts what it let through and refused.
class LoginProxy {
 public:
  explicit LoginProxy(int sitePort) {
    server_.Get(".*", [this, sitePort](const httplib::Request& req, httplib::Response& res) {
      const std::string login = req.get_header_value("Proxy-Authorization");
      if (login != httplib::make_basic_authentication_header("me", "pr0xy pass!", true).second) {
        if (!login.empty())
          ++refused;
        res.status = 407;
        res.set_header("Proxy-Authenticate", R"(Basic realm="proxy")");
        return;
      }
      ++passed;
      const std::string rest = req.target.substr(req.target.find("//") + 2);
      httplib::Client site("127.0.0.1", sitePort);
      httplib::Headers headers;
      for (const auto& [name, value] : req.headers) {
        if (name == "Cookie" || name == "Authorization")
          headers.emplace(name, value);
      }
      if (auto answer = site.Get(rest.substr(rest.find('/')), headers)) {
        res.status = answer->status;
        for (const auto& [name, value] : answer->headers) {
          if (name == "WWW-Authenticate" || name == "Set-Cookie")
            res.set_header(name, value);
        }
        res.set_content(answer->body, answer->get_header_value("Content-Type"));
      } else {
        res.status = 502;
      }
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running())
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~LoginProxy() {
    server_.stop();
    thread_.join();
  }
  std::string url(const std::string& login) const {
    return "http://" + login + "@127.0.0.1:" + std::to_string(port_);
  }

  std::atomic<int> passed{0};
  std::atomic<int> refused{0};

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
};

class PageRenderingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    site.routes().Get("/gallery.html", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(kGallery, "text/html");
    });
    site.routes().Get("/list.json", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(R"(["a.png","b.png","c.png"])", "application/json");
    });
    site.routes().Get("/never-quiet.html", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(kNeverQuiet, "text/html");
    });
    site.routes().Get("/windows.html", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(kWindows, "text/html");
    });
    site.routes().Get("/tick", [this](const httplib::Request&, httplib::Response& res) {
      {
        std::lock_guard lock(hitsMutex);
        ++hits["tick"];
      }
      res.set_content("{}", "application/json");
    });
    site.routes().Get("/members.gif", [](const httplib::Request& req, httplib::Response& res) {
      if (req.get_header_value("Cookie").find("session=from-script") == std::string::npos)
        res.status = 403;
      res.set_content("GIF89a members", "image/gif");
    });
    // Asks for a login of its own, which nobody here has.
    site.routes().Get("/locked.html", [this](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard lock(hitsMutex);
      serverLogins += req.get_header_value("Authorization");
      res.status = 401;
      res.set_header("WWW-Authenticate", R"(Basic realm="site")");
      res.set_content("<html><body>locked</body></html>", "text/html");
    });
    site.routes().Get("/sizes.html", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(kSizes, "text/html");
    });
    site.routes().Get(R"(/sized/(\w+)\.png)",
                      [this](const httplib::Request& req, httplib::Response& res) {
                        const std::string name = req.matches[1].str();
                        {
                          std::lock_guard lock(hitsMutex);
                          ++hits[name];
                        }
                        res.set_header("ETag", "\"" + name + "\"");
                        res.set_content(name == "small" ? Png(20, 20) : Png(800, 600), "image/png");
                      });
    site.routes().Get(R"(/(\w+)\.png)", [](const httplib::Request& req, httplib::Response& res) {
      res.set_content("\x89PNG " + req.matches[1].str(), "image/png");
    });
    site.start();
  }

  std::optional<DownloadNotice> fetch(RawClient& client, const std::string& path, int scrolls,
                                      const std::string& file) {
    FileRequest request{site.url(path), files.file(file)};
    request.renderScrolls = scrolls;
    client.request(request);
    const auto message = client.message(std::chrono::seconds(30));
    return message ? ParseNotice(*message) : std::nullopt;
  }

  int hitsOf(const std::string& name) {
    std::lock_guard lock(hitsMutex);
    return hits[name];
  }

  std::mutex hitsMutex;
  std::map<std::string, int> hits;
  std::string serverLogins;  // every Authorization header the site was sent
  TestSiteServer site;
  TempFolder files;
};

TEST_F(PageRenderingTest, APageLandsAsItsScriptsLeftItWithThePicturesItLoaded) {
  ScopedEnv limits("VESKDOWNLOADER_RENDER_LIMITS", "page-ms=3000");
  DownloaderProcess downloader;
  ASSERT_TRUE(downloader.start());
  RawClient client;
  ASSERT_TRUE(client.connect());
  client.sendBytes(EncodeSettings(SettingsOrder{}));
  ASSERT_TRUE(client.message());

  EXPECT_FALSE(fetch(client, "/members.gif", 0, "before.gif")->landed);

  const auto gallery = fetch(client, "/gallery.html", 5, "gallery.html");
  ASSERT_TRUE(gallery && gallery->landed) << (gallery ? gallery->reasonText : "no notice");
  EXPECT_TRUE(gallery->rendered);
  EXPECT_EQ(gallery->pictures,
            (std::vector<std::string>{site.url("/a.png"), site.url("/b.png"), site.url("/c.png")}));
  EXPECT_GT(gallery->pictureBytes, 0);
  EXPECT_NE(files.read("gallery.html").find(R"(<img src="b.png">)"), std::string::npos);
  // The cookie the page's script set goes with the downloader's requests now.
  EXPECT_TRUE(fetch(client, "/members.gif", 0, "after.gif")->landed);

  const auto started = std::chrono::steady_clock::now();
  const auto busy = fetch(client, "/never-quiet.html", 20, "busy.html");
  ASSERT_TRUE(busy && busy->landed);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(8));
  EXPECT_EQ(busy->pictures, std::vector<std::string>{site.url("/still.png")});

  // Not a web page: downloaded as it is.
  const auto picture = fetch(client, "/plain.png", 5, "plain.png");
  ASSERT_TRUE(picture && picture->landed);
  EXPECT_FALSE(picture->rendered);
  EXPECT_EQ(files.read("plain.png"), "\x89PNG plain");

  EXPECT_GT(BrowserProcessesOfThisRun(), 0);
  client.close();
  EXPECT_TRUE(NoBrowserProcessLeft());
}

TEST_F(PageRenderingTest, PicturesThePageLoadedAreHandedOverInsteadOfFetchedAgain) {
  ScopedEnv limits("VESKDOWNLOADER_RENDER_LIMITS", "page-ms=3000");
  DownloaderProcess downloader;
  ASSERT_TRUE(downloader.start());
  RawClient client;
  ASSERT_TRUE(client.connect());
  client.sendBytes(EncodeSettings(SettingsOrder{}));
  ASSERT_TRUE(client.message());
  const auto page = fetch(client, "/sizes.html", 2, "sizes.html");
  ASSERT_TRUE(page && page->landed && page->rendered);
  ASSERT_EQ(page->pictures.size(), 4u) << files.read("sizes.html");
  const auto ask = [&](const std::string& name, const std::string& file,
                       const std::function<void(FileRequest&)>& shape) {
    FileRequest request{site.url("/sized/" + name + ".png"), files.file(file)};
    request.referer = site.url("/sizes.html");
    request.validators = true;
    shape(request);
    client.request(request);
    const auto message = client.message(std::chrono::seconds(10));
    return message ? ParseNotice(*message) : std::nullopt;
  };

  // Landed from what the browser got, with the server's validators.
  const auto large = ask("large", "large.png", [](FileRequest& r) { r.minPicture = {100, 100}; });
  ASSERT_TRUE(large && large->landed) << (large ? large->reasonText : "no notice");
  EXPECT_EQ(files.read("large.png"), Png(800, 600));
  EXPECT_EQ(large->etag, "\"large\"");
  // Judged on the copy as a download would be.
  const auto small = ask("small", "small.png", [](FileRequest& r) { r.minPicture = {100, 100}; });
  ASSERT_TRUE(small && small->tooSmall);
  EXPECT_EQ(*small->tooSmall, (PictureSize{20, 20}));
  const auto heavy = ask("heavy", "heavy.png", [](FileRequest& r) { r.maxSize = 100; });
  ASSERT_TRUE(heavy);
  EXPECT_EQ(heavy->reason, failure::kTooLarge);
  EXPECT_EQ(hitsOf("large") + hitsOf("small") + hitsOf("heavy"), 3);
  // A conditional request is the server's to answer; a copy is taken once.
  EXPECT_TRUE(ask("again", "again.png", [](FileRequest& r) { r.ifNoneMatch = "\"old\""; })->landed);
  EXPECT_EQ(hitsOf("again"), 2);
  EXPECT_TRUE(ask("large", "large2.png", [](FileRequest&) {})->landed);
  EXPECT_EQ(hitsOf("large"), 2);
  EXPECT_FALSE(files.exists("small.png"));
}

TEST_F(PageRenderingTest,
       TheProxyLoginIsGivenToTheProxyAloneAndAWrongOneLeavesThePageToTheDownload) {
  ScopedEnv limits("VESKDOWNLOADER_RENDER_LIMITS", "page-ms=3000");
  LoginProxy proxy(site.port());
  DownloaderProcess downloader;
  ASSERT_TRUE(downloader.start());
  RawClient client;
  ASSERT_TRUE(client.connect());
  SettingsOrder settings;
  settings.proxy = proxy.url("me:pr0xy%20pass%21");
  client.sendBytes(EncodeSettings(settings));
  ASSERT_TRUE(client.message());

  const auto gallery = fetch(client, "/gallery.html", 5, "gallery.html");
  ASSERT_TRUE(gallery && gallery->landed) << (gallery ? gallery->reasonText : "no notice");
  EXPECT_TRUE(gallery->rendered);
  EXPECT_EQ(gallery->pictures,
            (std::vector<std::string>{site.url("/a.png"), site.url("/b.png"), site.url("/c.png")}));
  EXPECT_GE(proxy.passed, 5);  // the page, its list and its three pictures
  EXPECT_EQ(proxy.refused, 0);

  // The site's own challenge gets no login: the page is the downloader's to fail.
  const auto locked = fetch(client, "/locked.html", 5, "locked.html");
  ASSERT_TRUE(locked);
  EXPECT_FALSE(locked->landed);
  EXPECT_FALSE(locked->rendered);
  {
    std::lock_guard lock(hitsMutex);
    EXPECT_EQ(serverLogins, "");
  }

  // A wrong password, from the client's proxy variables: the browser gives
  // up on the page and the downloader's own request is refused too.
  RawClient wrong;
  ASSERT_TRUE(wrong.connect());
  SettingsOrder variables;
  variables.environment = {"http_proxy=" + proxy.url("me:wrong")};
  wrong.sendBytes(EncodeSettings(variables));
  ASSERT_TRUE(wrong.message());
  const auto started = std::chrono::steady_clock::now();
  const auto refused = fetch(wrong, "/gallery.html", 5, "refused.html");
  ASSERT_TRUE(refused);
  EXPECT_FALSE(refused->landed);
  EXPECT_FALSE(refused->rendered);
  EXPECT_GE(proxy.refused, 2);  // once by the browser, once by the downloader
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  EXPECT_FALSE(files.exists("refused.html"));
}

TEST_F(PageRenderingTest, AHostilePageOrOneWhoseProcessDiesEndsAndTheBrowserRendersTheNext) {
  ScopedEnv limits("VESKDOWNLOADER_RENDER_LIMITS", "page-ms=3000");
  DownloaderProcess downloader;
  ASSERT_TRUE(downloader.start());
  RawClient client;
  ASSERT_TRUE(client.connect());
  client.sendBytes(EncodeSettings(SettingsOrder{}));
  ASSERT_TRUE(client.message());

  ASSERT_TRUE(fetch(client, "/gallery.html", 2, "first.html")->rendered);
  // Windows and dialogs stall nothing.
  auto started = std::chrono::steady_clock::now();
  const auto windows = fetch(client, "/windows.html", 2, "windows.html");
  ASSERT_TRUE(windows && windows->landed && windows->rendered);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(2500));
  EXPECT_EQ(windows->pictures, std::vector<std::string>{site.url("/still.png")});
  const std::vector<pid_t> browser = BrowserProcesses(false);
  ASSERT_FALSE(browser.empty());

  // The page's process killed (as when it eats all memory) while it renders.
  FileRequest busy{site.url("/never-quiet.html"), files.file("busy.html")};
  busy.renderScrolls = 20;
  client.request(busy);
  for (int i = 0; i < 200 && hitsOf("tick") < 3; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_GE(hitsOf("tick"), 3);
  started = std::chrono::steady_clock::now();
  const std::vector<pid_t> pageProcesses = BrowserProcesses(true);
  ASSERT_FALSE(pageProcesses.empty());
  for (const pid_t renderer : pageProcesses)
    ::kill(renderer, SIGKILL);
  const auto message = client.message(std::chrono::seconds(10));
  ASSERT_TRUE(message);
  const DownloadNotice ended = ParseNotice(*message).value();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
  EXPECT_EQ(ended.pictures, std::vector<std::string>{site.url("/still.png")});

  const auto gallery = fetch(client, "/gallery.html", 2, "gallery.html");
  ASSERT_TRUE(gallery && gallery->landed && gallery->rendered);
  EXPECT_EQ(gallery->pictures.size(), 3u);
  EXPECT_EQ(BrowserProcesses(false), browser);  // not started again
}

TEST_F(PageRenderingTest, AKilledDownloaderTakesItsBrowserAlong) {
  DownloaderProcess downloader;
  ASSERT_TRUE(downloader.start());
  RawClient client;
  ASSERT_TRUE(client.connect());
  FileRequest request{site.url("/never-quiet.html"), files.file("busy.html")};
  request.renderScrolls = 20;
  client.request(request);
  for (int i = 0; i < 200 && BrowserProcessesOfThisRun() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_GT(BrowserProcessesOfThisRun(), 0);
  downloader.kill();
  EXPECT_TRUE(NoBrowserProcessLeft());
}

TEST_F(PageRenderingTest, WithoutABrowserARenderRequestFailsSayingWhichPackageIsMissing) {
  ScopedEnv browser("HARVEL_CHROMIUM", "/nonexistent/chromium");
  DownloaderProcess downloader;
  ASSERT_TRUE(downloader.start());
  RawClient client;
  ASSERT_TRUE(client.connect());
  const auto notice = fetch(client, "/gallery.html", 5, "gallery.html");
  ASSERT_TRUE(notice);
  EXPECT_FALSE(notice->landed);
  EXPECT_EQ(notice->reason, failure::kNoBrowser);
  EXPECT_NE(notice->reasonText.find("chromium-headless-shell"), std::string::npos);
}

}  // namespace
}  // namespace harvel::test
