// What a crawl reaches, through the real harvel-cli and VeskDownloader against
// sites on three loopback hosts: Site only, every link, rules, next pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <list>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "cli_process.h"
#include "downloader_process.h"
#include "temp_folder.h"
#include "test_site_server.h"

namespace harvel {
namespace {

namespace fs = std::filesystem;
using Strings = std::set<std::string>;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

// A host serving the pages and files put on it, counting what was asked;
// listening once made.
class Host {
 public:
  explicit Host(const std::string& address) : server_(address) {
    server_.routes().Get(".*", [this](const httplib::Request& request, httplib::Response& res) {
      const std::lock_guard lock(mutex_);
      asked_.insert(request.path);
      const auto file = files_.find(request.path);
      if (file == files_.end()) {
        res.status = 404;
        return;
      }
      res.set_content(file->second, request.path.ends_with(".html") ? "text/html" : "image/gif");
    });
    server_.start();  // listening from here on: its URLs name its port
  }
  ~Host() { server_.stop(); }

  void put(const std::string& path, const std::string& content) {
    const std::lock_guard lock(mutex_);
    files_[path] = content;
  }
  std::string url(const std::string& path) const { return server_.url(path); }
  Strings asked() {
    const std::lock_guard lock(mutex_);
    return asked_;
  }
  void forget() {
    const std::lock_guard lock(mutex_);
    asked_.clear();
  }

 private:
  test::TestSiteServer server_;
  std::mutex mutex_;
  std::map<std::string, std::string> files_;
  Strings asked_;
};

class ScopeEndToEnd : public ::testing::Test {
 protected:
  void TearDown() override { test::KillRunningDownloader(); }

  // Crawls `start` at `level` into a fresh folder of its own; the files that landed.
  Strings crawl(const std::string& start, int level, QStringList options,
                test::CliRun* run = nullptr) {
    dirs_.emplace_back();
    return crawlInto(dirs_.back(), start, level, std::move(options), run);
  }
  Strings crawlInto(const test::TempFolder& dir, const std::string& start, int level,
                    QStringList options, test::CliRun* run = nullptr) {
    options << "--dir" << Q(dir.text()) << "T" << Q(start) << QString::number(level);
    const test::CliRun result = test::RunCli(options);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    if (run != nullptr)
      *run = result;
    Strings names;
    for (const auto& entry : fs::directory_iterator(dir.path() / "T")) {
      if (entry.is_regular_file())
        names.insert(entry.path().filename().string());
    }
    return names;
  }

  std::list<test::TempFolder> dirs_;
};

std::string Picture(int page, int n) {
  return "/p" + std::to_string(page) + "_" + std::to_string(n) + ".gif";
}

// A gallery on 127.0.0.2: the start page's header links a third site first,
// then its 20 pages, each with 5 pictures served from 127.0.0.3 and links
// to the third site (127.0.0.4), whose pages hold pictures of their own.
TEST_F(ScopeEndToEnd, SiteOnlyWithEveryLinkCollectsAWholeGalleryAndNoPageOfAnotherSite) {
  Host gallery("127.0.0.2");
  Host pictures("127.0.0.3");
  Host other("127.0.0.4");
  std::string index;
  for (int i = 1; i <= 5; ++i)
    index += "<a href=\"" + other.url("/news" + std::to_string(i) + ".html") + "\">news</a>";
  Strings expected;
  for (int page = 1; page <= 20; ++page) {
    const std::string name = "/gallery" + std::to_string(page) + ".html";
    index += "<a href=\"" + name.substr(1) + "\">" + std::to_string(page) + "</a>\n";
    std::string body =
        "<a href=\"index.html\">top</a><a href=\"" + other.url("/ad.html") + "\">ad</a>\n";
    for (int n = 1; n <= 5; ++n) {
      body += "<img src=\"" + pictures.url(Picture(page, n)) + "\">\n";
      pictures.put(Picture(page, n), "GIF89a " + std::to_string(page * 10 + n));
      expected.insert(Picture(page, n).substr(1));
    }
    gallery.put(name, body);
  }
  gallery.put("/index.html", index);
  other.put("/ad.html", "<img src=\"ad.gif\">");
  other.put("/ad.gif", "GIF89a ad");
  other.put("/news.gif", "GIF89a news");
  for (int i = 1; i <= 5; ++i)
    other.put("/news" + std::to_string(i) + ".html", "<img src=\"news.gif\">");
  const std::string start = gallery.url("/index.html");

  test::CliRun run;
  EXPECT_EQ(crawl(start, 2, {"--same-site", "--all-links", "--jobs", "1", "--verbose"}, &run),
            expected)
      << run.out << run.err;
  EXPECT_EQ(other.asked(), Strings{});
  EXPECT_NE(run.out.find(other.url("/ad.html") + ": left out, a page of another site"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(pictures.asked().size(), 100u);
  // Read ahead six at a time, and with the other page reader: the same files.
  EXPECT_EQ(crawl(start, 2, {"--same-site", "--all-links", "--jobs", "6"}), expected);
  EXPECT_EQ(crawl(start, 2, {"--same-site", "--all-links", "--modern-pages"}), expected);
  EXPECT_EQ(other.asked(), Strings{});
  // Without them a page of level 2 follows two links: the header's.
  const Strings today = crawl(start, 2, {});
  EXPECT_EQ(std::count_if(today.begin(), today.end(),
                          [](const std::string& name) { return name.starts_with("p"); }),
            0);
  EXPECT_FALSE(other.asked().empty());
}

// A chain of pages, each with one picture and a link to the next.
void PutChain(Host& site, int pages, const std::string& nextLink) {
  for (int page = 1; page <= pages; ++page) {
    const std::string next = "page" + std::to_string(page + 1) + ".html";
    std::string body = "<img src=\"pic" + std::to_string(page) + ".gif\">";
    if (page < pages)
      body += nextLink == "rel" ? "<a href=\"" + next + "\" rel=\"next\">more</a>"
                                : "<a href=\"" + next + "\">" + nextLink + "</a>";
    site.put("/page" + std::to_string(page) + ".html", body);
    site.put("/pic" + std::to_string(page) + ".gif", "GIF89a " + std::to_string(page));
  }
}

Strings ChainPictures(int pages) {
  Strings names;
  for (int page = 1; page <= pages; ++page)
    names.insert("pic" + std::to_string(page) + ".gif");
  return names;
}

TEST_F(ScopeEndToEnd, NextPagesCostNoDepthUpToTheirNumberAlsoFromTheRecord) {
  Host site("127.0.0.2");
  PutChain(site, 45, "rel");
  const std::string start = site.url("/page1.html");

  // Level 1 alone reaches page 2. With 40 next pages, pages 2 to 41 keep level 1.
  EXPECT_EQ(crawl(start, 1, {}), ChainPictures(2));
  site.forget();
  test::TempFolder dir;
  EXPECT_EQ(crawlInto(dir, start, 1, {"--next-pages", "40", "--only-new"}).size(), 45u);
  // At level 0 a chain is all that is followed: 40 next pages and no more.
  EXPECT_EQ(crawl(start, 0, {"--next-pages", "40"}), ChainPictures(41));
  // Unchanged pages give their next links from the record: the chain is walked again.
  site.forget();
  fs::remove(dir.path() / "T" / "pic45.gif");
  crawlInto(dir, start, 1, {"--next-pages", "40", "--only-new"});
  EXPECT_EQ(site.asked().count("/page45.html"), 1u);
  EXPECT_EQ(site.asked().count("/pic45.gif"), 0u);  // collected before
}

TEST_F(ScopeEndToEnd, TheHtmlParserFollowsNextMarkers) {
  Host site("127.0.0.2");
  PutChain(site, 6, "次へ »");
  EXPECT_EQ(crawl(site.url("/page1.html"), 0, {"--next-pages", "4", "--modern-pages"}),
            ChainPictures(5));
  EXPECT_EQ(crawl(site.url("/page1.html"), 0, {"--next-pages", "4"}), ChainPictures(1));
}

// A hostile pattern against a 64 KiB URL: a matcher that backtracks would not
// end within the run's time-out; one pass over the URL ends at once.
TEST_F(ScopeEndToEnd, AHostilePatternAgainstALongUrlEndsTheCrawl) {
  Host site("127.0.0.2");
  const std::string longName = "/" + std::string(64 * 1024, 'a') + ".gif";
  site.put("/index.html", "<img src=\"" + longName.substr(1) + "\"><img src=\"ok.gif\">");
  site.put(longName, "GIF89a long");
  site.put("/ok.gif", "GIF89a ok");
  std::string hostile;
  for (int i = 0; i < 40; ++i)
    hostile += "*a";
  // Rules are judged from the last: the hostile one first, then the one that refuses.
  const Strings landed = crawl(site.url("/index.html"), 0,
                               {"--modern-pages", "--reject", "file:*/aaaaaaaaaaaaaaaa*",
                                "--reject", Q("file:" + hostile + "*b*")});
  EXPECT_EQ(landed, Strings{"ok.gif"});
}

}  // namespace
}  // namespace harvel
