// --only-new and --forget through the real harvel-cli and VeskDownloader: what
// a second crawl asks the server for, a crawl killed part-way and run again,
// two crawls of one title at once, and records that cannot be used.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QProcess>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "cli_process.h"
#include "downloader_process.h"
#include "record/file_sha256.h"
#include "temp_folder.h"
#include "test_site_server.h"

namespace harvel {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Strings = std::set<std::string>;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

// A site that can change between crawls: each page and picture with an ETag,
// a 304 for a request that names it, and a log of what was asked.
class ChangingSite {
 public:
  ChangingSite() {
    server_.serveSlowly("/slow.png", "image/png", 30, 'p');  // before the route for everything
    server_.routes().Get("/(.*)", [this](const httplib::Request& request, httplib::Response& res) {
      answer(request, res);
    });
  }

  void put(const std::string& path, const std::string& body) {
    const std::lock_guard lock(mutex_);
    files_[path] = body;
  }
  // Each answer waits this long first, so that two crawls overlap.
  void setDelay(std::chrono::milliseconds delay) { delay_ = delay; }
  void start() { server_.start(); }
  void stop() { server_.stop(); }
  std::string url(const std::string& path) const { return server_.url(path); }
  bool waitForSlowStart() { return server_.waitForSlowStart(std::chrono::seconds(30)); }

  // The paths asked for since the last call, and those asked conditionally.
  Strings asked() {
    const std::lock_guard lock(mutex_);
    return std::exchange(asked_, {});
  }
  Strings askedConditionally() {
    const std::lock_guard lock(mutex_);
    return std::exchange(conditional_, {});
  }
  // The pictures among asked().
  Strings pictures() {
    Strings found;
    for (const std::string& path : asked()) {
      if (!path.ends_with(".html"))
        found.insert(path);
    }
    return found;
  }

 private:
  void answer(const httplib::Request& request, httplib::Response& res) {
    std::this_thread::sleep_for(delay_.load());
    const std::lock_guard lock(mutex_);
    asked_.insert(request.path);
    const auto file = files_.find(request.path);
    if (file == files_.end()) {
      res.status = 404;
      return;
    }
    const std::string etag = "\"" + std::to_string(std::hash<std::string>{}(file->second)) + "\"";
    res.set_header("ETag", etag);
    if (request.has_header("If-None-Match")) {
      conditional_.insert(request.path);
      if (request.get_header_value("If-None-Match") == etag) {
        res.status = 304;
        return;
      }
    }
    res.set_content(file->second, request.path.ends_with(".html") ? "text/html" : "image/gif");
  }

  test::TestSiteServer server_;
  std::atomic<std::chrono::milliseconds> delay_{std::chrono::milliseconds(0)};
  std::mutex mutex_;
  std::map<std::string, std::string> files_;
  Strings asked_;
  Strings conditional_;
};

class OnlyNewEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    site_.put("/index.html", R"(<img src="a.gif"><img src="b.gif"><a href="sub.html">)");
    site_.put("/sub.html", R"(<img src="c.gif"><img src="same.gif">)");
    site_.put("/a.gif", "GIF89a a");
    site_.put("/b.gif", "GIF89a b");
    site_.put("/same.gif", "GIF89a a");  // a.gif's bytes under another URL
    site_.put("/c.gif", "GIF89a c");
    site_.start();
  }
  void TearDown() override {
    test::KillRunningDownloader();
    site_.stop();
  }

  QStringList crawl(QStringList extra = {}) const {
    extra << "--only-new"
          << "--dir" << Q(dir_.text()) << "T" << Q(site_.url("/index.html")) << "2";
    return extra;
  }
  test::CliRun run(QStringList extra = {}) const { return test::RunCli(crawl(std::move(extra))); }

  Strings files() const {
    Strings names;
    for (const auto& entry : fs::directory_iterator(dir_.path() / "T")) {
      if (entry.is_regular_file())
        names.insert(entry.path().filename().string());
    }
    return names;
  }
  std::string record() const { return dir_.text() + "/T/.harvel/record.db"; }

  // The record's files that are kept rather than copies: name -> SHA-256.
  std::multimap<std::string, std::string> keptInRecord() const {
    std::multimap<std::string, std::string> kept;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(record().c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* rows = nullptr;
    sqlite3_prepare_v2(db, "SELECT local_name, hex(sha256) FROM files WHERE copy_of IS NULL", -1,
                       &rows, nullptr);
    while (sqlite3_step(rows) == SQLITE_ROW) {
      kept.emplace(reinterpret_cast<const char*>(sqlite3_column_text(rows, 0)),
                   reinterpret_cast<const char*>(sqlite3_column_text(rows, 1)));
    }
    sqlite3_finalize(rows);
    sqlite3_close(db);
    return kept;
  }

  test::TempFolder dir_;
  ChangingSite site_;
};

TEST_F(OnlyNewEndToEnd, ASecondCrawlAsksOnlyForWhatIsNewAndKeepsWhatWasDeletedDeleted) {
  const auto first = run();
  ASSERT_EQ(first.exitCode, 0) << first.err;
  // same.gif repeats a.gif: removed again and counted as collected.
  EXPECT_EQ(files(), (Strings{"a.gif", "b.gif", "c.gif"}));
  EXPECT_NE(first.out.find("harvel-cli: 3 landed, 0 failed, 1 already collected\n"),
            std::string::npos)
      << first.out;
  site_.asked();

  fs::remove(dir_.path() / "T/b.gif");
  const auto second = run({"--verbose"});
  ASSERT_EQ(second.exitCode, 0) << second.err;
  EXPECT_TRUE(site_.pictures().empty());
  EXPECT_EQ(site_.askedConditionally(), (Strings{"/index.html", "/sub.html"}));
  EXPECT_EQ(files(), (Strings{"a.gif", "c.gif"}));
  EXPECT_NE(second.out.find("harvel-cli: 0 landed, 0 failed, 4 already collected\n"),
            std::string::npos)
      << second.out;
  EXPECT_NE(
      second.out.find(site_.url("/b.gif") + " -> " + dir_.text() + "/T/b.gif: already collected"),
      std::string::npos)
      << second.out;
  EXPECT_NE(second.out.find(site_.url("/index.html") + " -> "), std::string::npos);
  EXPECT_NE(second.out.find(": not modified, HTTP 304"), std::string::npos) << second.out;

  // A picture added to the page deep in the site: only it is fetched.
  site_.put("/sub.html", R"(<img src="c.gif"><img src="same.gif"><img src="d.gif">)");
  site_.put("/d.gif", "GIF89a d");
  const auto grown = run();
  ASSERT_EQ(grown.exitCode, 0) << grown.err;
  EXPECT_EQ(site_.pictures(), (Strings{"/d.gif"}));
  EXPECT_EQ(files(), (Strings{"a.gif", "c.gif", "d.gif"}));

  // Forgetting asks nothing and touches no file; the next crawl fetches all.
  const auto forget = test::RunCli({"--dir", Q(dir_.text()), "--forget", "T"});
  EXPECT_EQ(forget.exitCode, 0) << forget.err;
  EXPECT_FALSE(fs::exists(record()));
  EXPECT_EQ(files(), (Strings{"a.gif", "c.gif", "d.gif"}));
  ASSERT_EQ(run().exitCode, 0);
  EXPECT_EQ(site_.pictures(), (Strings{"/a.gif", "/b.gif", "/c.gif", "/d.gif", "/same.gif"}));
}

// Part-way: harvel-cli or VeskDownloader killed while slow.png comes in.
class KilledCrawl : public OnlyNewEndToEnd, public ::testing::WithParamInterface<bool> {};

TEST_P(KilledCrawl, RunAgainFetchesOnlyWhatHadNotLanded) {
  const bool killCli = GetParam();
  site_.put("/sub.html", R"(<img src="c.gif"><img src="same.gif"><img src="slow.png">)");
  QProcess cli;
  // One download at a time, in the page's order: c.gif and same.gif have
  // landed when slow.png begins, and nothing after it is fetched ahead.
  cli.start(Q(test::ProgramFolderOfBuild() + "/harvel-cli"),
            crawl({"--jobs", "1", "--no-pictures-first"}));
  ASSERT_TRUE(cli.waitForStarted(10000));
  ASSERT_TRUE(site_.waitForSlowStart());
  if (killCli) {
    ::kill(static_cast<pid_t>(cli.processId()), SIGKILL);
    test::KillRunningDownloader();
  } else {
    test::KillRunningDownloader();  // harvel-cli starts another and goes on
  }
  ASSERT_TRUE(cli.waitForFinished(60000));
  // Killed with it, the crawl did not get slow.png; else it went on and did.
  EXPECT_EQ(fs::exists(dir_.path() / "T/slow.png"), !killCli);
  site_.asked();

  const auto again = run();
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_TRUE(site_.pictures().empty()) << again.out;  // slow.png has a log of its own
  EXPECT_EQ(files(), (Strings{"a.gif", "b.gif", "c.gif", "slow.png"}));
  EXPECT_EQ(test::ReadFile(dir_.path() / "T/slow.png"), std::string(30, 'p'));
}

INSTANTIATE_TEST_SUITE_P(Killed, KilledCrawl, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& killed) {
                           return killed.param ? "harvel_cli" : "VeskDownloader";
                         });

TEST_F(OnlyNewEndToEnd, TwoCrawlsOfOneTitleAtOnceShareTheRecord) {
  for (int i = 0; i < 20; ++i) {
    const std::string name = "/p" + std::to_string(i) + ".gif";
    site_.put(name, "GIF89a " + name);
  }
  std::string page;
  for (int i = 0; i < 20; ++i)
    page += "<img src=\"p" + std::to_string(i) + ".gif\">";
  site_.put("/sub.html", page);
  QProcess one;
  QProcess two;
  one.start(Q(test::ProgramFolderOfBuild() + "/harvel-cli"), crawl({"--jobs", "1"}));
  two.start(Q(test::ProgramFolderOfBuild() + "/harvel-cli"), crawl({"--jobs", "1"}));
  ASSERT_TRUE(one.waitForFinished(60000));
  ASSERT_TRUE(two.waitForFinished(60000));
  EXPECT_EQ(one.exitCode(), 0) << one.readAllStandardError().toStdString();
  EXPECT_EQ(two.exitCode(), 0) << two.readAllStandardError().toStdString();
  site_.asked();

  const auto after = run();
  ASSERT_EQ(after.exitCode, 0) << after.err;
  EXPECT_TRUE(site_.pictures().empty());
  EXPECT_NE(after.out.find(", 22 already collected\n"), std::string::npos) << after.out;
  // Nothing was taken for damaged and moved aside.
  for (const auto& entry : fs::directory_iterator(dir_.path() / "T/.harvel"))
    EXPECT_EQ(entry.path().filename().string().find("set-aside"), std::string::npos);
}

TEST_F(OnlyNewEndToEnd, TwoNumberingCrawlsAtOnceNeverLandTwoFilesUnderOneName) {
  // Sixty pictures of one name: each crawl numbers them, both at once.
  std::string page;
  std::set<std::string> pictures;
  for (int i = 0; i < 60; ++i) {
    const std::string path = "/d" + std::to_string(i) + "/pic.gif";
    site_.put(path, "GIF89a " + path);
    pictures.insert("GIF89a " + path);
    page += "<img src=\"" + path.substr(1) + "\">";
  }
  site_.put("/sub.html", page);
  site_.setDelay(2ms);
  QProcess one;
  QProcess two;
  one.start(Q(test::ProgramFolderOfBuild() + "/harvel-cli"), crawl({"--jobs", "1", "--number"}));
  two.start(Q(test::ProgramFolderOfBuild() + "/harvel-cli"), crawl({"--jobs", "1", "--number"}));
  ASSERT_TRUE(one.waitForFinished(60000));
  ASSERT_TRUE(two.waitForFinished(60000));
  EXPECT_EQ(one.exitCode(), 0) << one.readAllStandardError().toStdString();
  EXPECT_EQ(two.exitCode(), 0) << two.readAllStandardError().toStdString();

  // Every picture once, nothing lost, no copy the record does not know ...
  std::multiset<std::string> landed;
  for (const std::string& name : files()) {
    if (name.starts_with("pic"))
      landed.insert(test::ReadFile(dir_.path() / "T" / name));
  }
  EXPECT_EQ(landed, std::multiset<std::string>(pictures.begin(), pictures.end()));
  // ... and each kept entry names a file of its own that holds its bytes.
  const auto kept = keptInRecord();
  EXPECT_EQ(kept.size(), files().size());
  for (const auto& [name, digest] : kept) {
    EXPECT_EQ(kept.count(name), 1u) << name;
    const auto bytes = FileSha256(dir_.text() + "/T/" + name);
    EXPECT_EQ(bytes ? HexText(*bytes) : "", QString::fromStdString(digest).toLower().toStdString())
        << name;
  }
}

TEST_F(OnlyNewEndToEnd, ARecordedNameIsUsedOnlyWhenItsFileIsThereAsRecorded) {
  ASSERT_EQ(run().exitCode, 0);
  for (const std::string& name : files())
    fs::remove(dir_.path() / "T" / name);
  // Planted: a.gif's bytes "kept" as ./a.gif, b.gif's as c.gif (other bytes there).
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(record().c_str(), &db), SQLITE_OK);
  sqlite3_exec(db, "DELETE FROM files; DELETE FROM pages", nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db,
                     "INSERT INTO files (url, final_url, local_name, size, sha256, etag, "
                     "last_modified, landed_at) VALUES (?1, '', ?2, 8, ?3, '', '', 0)",
                     -1, &insert, nullptr);
  for (const auto& [url, name, bytes] :
       {std::tuple{"http://planted.test/1", "./a.gif", "GIF89a a"},
        std::tuple{"http://planted.test/2", "c.gif", "GIF89a b"}}) {
    const std::string digest = Sha256(bytes);
    sqlite3_bind_text(insert, 1, url, -1, SQLITE_STATIC);
    sqlite3_bind_text(insert, 2, name, -1, SQLITE_STATIC);
    sqlite3_bind_blob(insert, 3, digest.data(), static_cast<int>(digest.size()), SQLITE_STATIC);
    EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  sqlite3_close(db);

  const auto again = run();
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(files(), (Strings{"a.gif", "b.gif", "c.gif"}));
  EXPECT_EQ(test::ReadFile(dir_.path() / "T/b.gif"), "GIF89a b");
  // Each recorded where it lies; the stale entries stand beside them.
  const auto kept = keptInRecord();
  EXPECT_EQ(kept.count("a.gif"), 1u);
  EXPECT_EQ(kept.count("b.gif"), 1u);
  EXPECT_EQ(kept.count("c.gif"), 2u);
  EXPECT_EQ(kept.size(), 5u);
}

TEST_F(OnlyNewEndToEnd, AFolderReachedThroughALinkIsUsedAndARecordWithASecondNameIsNot) {
  // ~/Pictures on another disk: the link is above the record, which is fine.
  test::TempFolder disk;
  fs::create_directory_symlink(disk.path(), dir_.path() / "Pictures");
  const QStringList linked = {
      "--only-new", "--dir", Q(dir_.text() + "/Pictures"), "T", Q(site_.url("/index.html")), "2"};
  const auto through = test::RunCli(linked);
  EXPECT_EQ(through.exitCode, 0) << through.err;
  EXPECT_TRUE(fs::is_regular_file(disk.path() / "T/.harvel/record.db"));
  EXPECT_TRUE(fs::is_regular_file(disk.path() / "T/a.gif"));

  // record.db as a second name of someone's text, a log planted beside it.
  const std::string text = std::string(20000, 't');
  test::WriteFile(dir_.path() / "text.txt", text);
  fs::create_directories(dir_.path() / "T/.harvel");
  ASSERT_EQ(::link((dir_.text() + "/text.txt").c_str(), record().c_str()), 0);
  test::WriteFile(record() + "-journal", std::string(4096, 'j'));
  site_.asked();
  const auto hardLinked = run();
  EXPECT_EQ(hardLinked.exitCode, 2);
  EXPECT_NE(hardLinked.err.find("more than one name"), std::string::npos) << hardLinked.err;
  EXPECT_TRUE(test::ReadFile(dir_.path() / "text.txt") == text);
  EXPECT_TRUE(site_.asked().empty());
}

TEST_F(OnlyNewEndToEnd, OnAFullDiskCopiesFetchedAheadLeaveTheRoomToTheCrawl) {
  if (geteuid() != 0)
    GTEST_SKIP() << "a full disk is made as a small tmpfs, which only the superuser mounts";
  const fs::path disk = dir_.path() / "disk";
  fs::create_directory(disk);
  ASSERT_EQ(mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=400k"), 0) << std::strerror(errno);
  std::string page;
  for (int i = 0; i < 120; ++i) {
    const std::string name = "r" + std::to_string(i) + ".gif";
    site_.put("/" + name, "GIF89a" + std::string(3000, static_cast<char>('a' + i % 26)) + name);
    page += "<img src=\"" + name + "\">";
  }
  site_.put("/index.html", page);
  site_.setDelay(20ms);  // copies fetched six at a time run ahead of the crawl
  const auto landedWith = [&](const char* jobs) {
    fs::remove_all(disk / "T");
    const auto run = test::RunCli({"--only-new", "--jobs", jobs, "--dir", Q(disk.string()), "T",
                                   Q(site_.url("/index.html")), "1"});
    // Whatever failed says why: no message ends where its reason should be.
    EXPECT_EQ(run.err.find(": \n"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("harvel-cli: \n"), std::string::npos) << run.err;
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(disk / "T"))
      count += entry.is_regular_file() ? 1 : 0;
    return count;
  };
  const std::size_t alone = landedWith("1");
  EXPECT_GT(alone, 5u);
  EXPECT_EQ(landedWith("6"), alone);
  umount2(disk.c_str(), MNT_DETACH);
}

TEST_F(OnlyNewEndToEnd, ARecordThatCannotBeUsedIsNeverLostNorIgnored) {
  // Damaged: moved aside in one line, and the crawl goes on with a new one.
  test::WriteFile(record(), "not a database");
  const auto damaged = run();
  EXPECT_EQ(damaged.exitCode, 0) << damaged.err;
  EXPECT_NE(damaged.err.find("was damaged; it was moved to " + record() + ".set-aside-"),
            std::string::npos)
      << damaged.err;
  EXPECT_EQ(files().size(), 3u);

  // Written by a newer Harvel: exit 2 before anything is fetched.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(record().c_str(), &db), SQLITE_OK);
  sqlite3_exec(db, "PRAGMA user_version = 99", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  site_.asked();
  const auto newer = run();
  EXPECT_EQ(newer.exitCode, 2);
  EXPECT_NE(newer.err.find("newer Harvel"), std::string::npos) << newer.err;
  EXPECT_TRUE(site_.asked().empty());

  // A plain file named .harvel, and a read-only folder: the same.
  fs::remove_all(dir_.path() / "T/.harvel");
  test::WriteFile(dir_.path() / "T/.harvel", "mine");
  const auto plain = run();
  EXPECT_EQ(plain.exitCode, 2);
  EXPECT_NE(plain.err.find("is not a folder"), std::string::npos) << plain.err;
  EXPECT_EQ(test::ReadFile(dir_.path() / "T/.harvel"), "mine");
  if (geteuid() != 0) {  // the superuser writes into read-only folders
    fs::remove(dir_.path() / "T/.harvel");
    fs::permissions(dir_.path() / "T", fs::perms::owner_write, fs::perm_options::remove);
    const auto readOnly = run();
    EXPECT_EQ(readOnly.exitCode, 2);
    EXPECT_NE(readOnly.err.find("cannot be made"), std::string::npos) << readOnly.err;
  }
  EXPECT_TRUE(site_.asked().empty());
}

}  // namespace
}  // namespace harvel
