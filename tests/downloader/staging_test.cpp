// Fetching ahead in the real VeskDownloader: staged copies answer requests,
// keep each client's notices in order, and never outlive their client.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/time.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "downloader/protocol/hello.h"
#include "downloader/protocol/notice.h"
#include "downloader/protocol/staging_messages.h"
#include "downloader_process.h"
#include "raw_client.h"
#include "temp_folder.h"
#include "test_site_server.h"

namespace harvel::test {
namespace {

using Strings = std::vector<std::string>;

// Everything in `folder`, hidden files included, sorted.
Strings Names(const std::filesystem::path& folder) {
  Strings names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Waits, bounded, until `folder` holds exactly `expected`.
bool FolderBecomes(const std::filesystem::path& folder, const Strings& expected) {
  for (int i = 0; i < 250; ++i) {
    if (Names(folder) == expected)
      return true;
    QCoreApplication::processEvents();
    QThread::msleep(20);
  }
  ADD_FAILURE() << "the folder holds " << ::testing::PrintToString(Names(folder));
  return false;
}

class StagingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    site.routes().Get("/moved.gif", [](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("/target.gif");
    });
    site.routes().Get("/missing.gif", [](const httplib::Request&, httplib::Response& res) {
      res.status = 404;
      res.set_content("not here", "text/html");
    });
    site.routes().Get("/loop.gif", [this](const httplib::Request&, httplib::Response& res) {
      ++loopHits;
      res.set_redirect("/loop.gif");
    });
    site.serveSlowly("/slow.gif", "image/gif", 400, 's');
    // Unchanged since the validator "v1".
    site.routes().Get("/page.html", [this](const httplib::Request& req, httplib::Response& res) {
      ++pageHits;
      res.set_header("ETag", "\"v1\"");
      if (req.get_header_value("If-None-Match") == "\"v1\"") {
        res.status = 304;
        return;
      }
      res.set_content("<img src=\"a.gif\">", "text/html");
    });
    // Answered once the test lets them go.
    site.routes().Get(R"(/held/\w+\.gif)", [this](const httplib::Request&, httplib::Response& res) {
      ++heldHits;
      for (int i = 0; i < 500 && !released; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      res.set_content("GIF89a held", "image/gif");
    });
    // Last: the first route that matches answers.
    site.routes().Get(R"(/(\w+)\.gif)",
                      [this](const httplib::Request& req, httplib::Response& res) {
                        ++hits;
                        res.set_content("GIF89a " + req.matches[1].str(), "image/gif");
                      });
    site.start();
    ASSERT_TRUE(downloader.start());
  }
  void TearDown() override { released = true; }

  // A client that has said hello and seen the downloader state "stage".
  bool greet(RawClient& client) {
    if (!client.connect())
      return false;
    client.sendBytes(EncodeHello(Hello{kChannelVersion, {}}));
    const auto answer = client.message();
    return answer && answer->kind == MessageKind::Hello && ParseHello(*answer).has(kFeatureStage);
  }

  void stage(RawClient& client, const std::string& name, const std::filesystem::path& folder,
             int jobs = 4) {
    client.sendBytes(
        EncodeStage(StagedFile{{site.url("/" + name), folder.string(), {}, {}, {}}, false, jobs}));
  }

  // Requests `name` into `folder` as `as`; the notice that answers it.
  std::optional<DownloadNotice> take(RawClient& client, const std::string& name,
                                     const std::filesystem::path& folder, const std::string& as) {
    client.request(FileRequest{site.url("/" + name), (folder / as).string(), {}, {}, {}});
    const auto message = client.message();
    return message ? ParseNotice(*message) : std::nullopt;
  }

  TestSiteServer site;
  DownloaderProcess downloader;
  TempFolder out;
  std::atomic<int> hits{0};
  std::atomic<int> pageHits{0};
  std::atomic<int> loopHits{0};
  std::atomic<int> heldHits{0};
  std::atomic<bool> released{false};
};

// A stage order that asks to be told hears where its copy lies once it has
// landed; one that does not ask hears nothing but its notices.
TEST_F(StagingTest, ACopyThatAskedToBeToldIsAnnouncedWhereItLiesUntilTaken) {
  RawClient client;
  ASSERT_TRUE(greet(client));
  client.sendBytes(
      EncodeStage(StagedFile{{site.url("/quiet.gif"), out.path().string(), {}, {}, {}}, false, 4}));
  StagedFile told{{site.url("/page.gif"), out.path().string(), {}, {}, {}}, false, 4};
  told.tellLanded = true;
  client.sendBytes(EncodeStage(told));
  const auto message = client.message();
  ASSERT_TRUE(message);
  const std::optional<LandedCopy> landed = ParseLanded(*message);
  ASSERT_TRUE(landed);
  EXPECT_EQ(landed->url, told.request.url);
  EXPECT_EQ(landed->folder, told.folder());
  EXPECT_EQ(landed->contentType, "image/gif");
  EXPECT_EQ(std::filesystem::path(landed->path).parent_path(), out.path());
  EXPECT_EQ(out.read(std::filesystem::path(landed->path).filename().string()), "GIF89a page");

  const auto quiet = take(client, "quiet.gif", out.path(), "quiet.gif");
  ASSERT_TRUE(quiet);  // the next message is the notice: nothing was told of quiet.gif
  EXPECT_TRUE(quiet->landed);
  const auto page = take(client, "page.gif", out.path(), "page.gif");
  ASSERT_TRUE(page);
  EXPECT_TRUE(page->landed);
  EXPECT_TRUE(FolderBecomes(out.path(), {"page.gif", "quiet.gif"}));
}

// A page fetched ahead with its validators: the server's 304 leaves no file,
// answers the request with the same validators as not modified, and serves no
// request with other ones.
TEST_F(StagingTest, AConditionalCopyAnswersOnlyTheSameConditionalRequest) {
  RawClient client;
  ASSERT_TRUE(client.connect());
  client.sendBytes(EncodeHello(Hello{kChannelVersion, {}}));
  const auto hello = client.message();
  ASSERT_TRUE(hello);
  ASSERT_TRUE(ParseHello(*hello).has(kFeatureStageConditional));
  const auto stageWith = [&](const std::string& etag) {
    StagedFile order{{site.url("/page.html"), out.path().string(), {}, {}, {}}, true, 4};
    order.request.validators = true;
    order.request.ifNoneMatch = etag;
    client.sendBytes(EncodeStage(order));
  };
  const auto ask = [&](const std::string& etag) {
    FileRequest request{site.url("/page.html"), (out.path() / "page.html").string(), {}, {}, {}};
    request.validators = true;
    request.ifNoneMatch = etag;
    client.request(request);
    const auto message = client.message();  // a notice, never a landed copy first
    return message ? ParseNotice(*message) : std::nullopt;
  };
  const auto hitsBecome = [&](int expected) {
    for (int i = 0; i < 250 && pageHits < expected; ++i)
      QThread::msleep(20);
    return pageHits == expected;
  };

  stageWith("\"v1\"");
  ASSERT_TRUE(hitsBecome(1));
  const auto unchanged = ask("\"v1\"");
  ASSERT_TRUE(unchanged);
  EXPECT_TRUE(unchanged->notModified);
  EXPECT_FALSE(unchanged->landed);
  EXPECT_EQ(unchanged->etag, "\"v1\"");
  EXPECT_EQ(pageHits, 1);  // answered from the copy
  EXPECT_TRUE(FolderBecomes(out.path(), {}));

  // Staged with an older validator, the copy is the whole page: the request
  // with the current one is fetched again the ordinary way, and the copy goes.
  stageWith("\"v0\"");
  ASSERT_TRUE(hitsBecome(2));
  ASSERT_TRUE(client.message());  // the landed copy is told of
  const auto again = ask("\"v1\"");
  ASSERT_TRUE(again);
  EXPECT_TRUE(again->notModified);
  EXPECT_EQ(pageHits, 3);
  EXPECT_TRUE(FolderBecomes(out.path(), {}));
}

TEST_F(StagingTest, AStagedCopyAnswersItsRequestUnderTheNameGivenThen) {
  RawClient client;
  ASSERT_TRUE(greet(client));
  for (const char* name : {"a.gif", "b.gif", "moved.gif", "missing.gif"})
    stage(client, name, out.path());
  // Every transfer is made once, ahead of the request.
  for (int i = 0; i < 100 && hits < 3; ++i)
    QThread::msleep(20);
  EXPECT_EQ(hits, 3);  // a, b, and target.gif behind the redirect

  const auto a = take(client, "a.gif", out.path(), "a(1).gif");
  ASSERT_TRUE(a);
  EXPECT_TRUE(a->landed);
  EXPECT_EQ(a->count, "0");
  EXPECT_EQ(out.read("a(1).gif"), "GIF89a a");
  const auto moved = take(client, "moved.gif", out.path(), "moved.gif");
  ASSERT_TRUE(moved);
  EXPECT_TRUE(moved->landed);
  EXPECT_EQ(moved->finalUrl, site.url("/target.gif"));
  EXPECT_EQ(out.read("moved.gif"), "GIF89a target");
  const auto missing = take(client, "missing.gif", out.path(), "missing.gif");
  ASSERT_TRUE(missing);
  EXPECT_FALSE(missing->landed);
  EXPECT_EQ(missing->httpStatus, 404);
  EXPECT_EQ(hits, 3) << "answered from the copies, nothing fetched again";

  // A URL that was not staged is downloaded as ever; the copy never asked for
  // goes when it is unstaged.
  const auto c = take(client, "c.gif", out.path(), "c.gif");
  ASSERT_TRUE(c);
  EXPECT_TRUE(c->landed);
  EXPECT_EQ(c->count, "3");
  client.sendBytes(EncodeUnstage(site.url("/b.gif"), out.path().string()));
  EXPECT_TRUE(FolderBecomes(out.path(), {"a(1).gif", "c.gif", "moved.gif"}));
}

// A crawl that stops unstages what it staged: neither the orders for each
// copy, sent together, nor the one order for every copy starts a waiting
// transfer on the way, so the server sees only those that were running. A
// copy already asked for stays and answers its request.
TEST_F(StagingTest, UnstagingTogetherStartsNoWaitingTransfer) {
  RawClient client;
  ASSERT_TRUE(greet(client));
  // Idle connections to reuse: a transfer started by mistake reaches the server at once.
  for (int i = 0; i < 4; ++i)
    stage(client, "q" + std::to_string(i) + ".gif", out.path());
  for (int i = 0; i < 250 && Names(out.path()).size() < 5; ++i)  // the copies and their list
    QThread::msleep(20);
  ASSERT_EQ(Names(out.path()).size(), 5u);
  const auto stageHeld = [&](int from) {
    for (int i = from; i < from + 6; ++i)
      stage(client, "held/" + std::to_string(i) + ".gif", out.path(), 2);
  };
  const auto heldBecomes = [&](int expected) {
    for (int i = 0; i < 250 && heldHits < expected; ++i)
      QThread::msleep(20);
    return heldHits == expected;
  };

  stageHeld(0);
  ASSERT_TRUE(heldBecomes(2));
  std::string orders;
  for (int i = 0; i < 6; ++i)
    orders += EncodeUnstage(site.url("/held/" + std::to_string(i) + ".gif"), out.path().string());
  client.sendBytes(orders);
  ASSERT_TRUE(client.sync());
  EXPECT_EQ(heldHits, 2);
  EXPECT_EQ(Names(out.path()).size(), 5u);  // the copies not named stay

  stageHeld(10);
  ASSERT_TRUE(heldBecomes(4));
  client.request(
      FileRequest{site.url("/held/10.gif"), (out.path() / "held.gif").string(), {}, {}, {}});
  client.sendBytes(EncodeUnstageAll());
  ASSERT_TRUE(client.sync());
  EXPECT_EQ(heldHits, 4);
  released = true;
  const auto taken = client.message();
  ASSERT_TRUE(taken);
  EXPECT_TRUE(ParseNotice(*taken)->landed);
  EXPECT_TRUE(FolderBecomes(out.path(), {"held.gif"}));
  EXPECT_EQ(heldHits, 4);
}

TEST_F(StagingTest, AClientThatLeavesTakesItsCopiesAndTransfersWithIt) {
  {
    RawClient client;
    ASSERT_TRUE(greet(client));
    stage(client, "a.gif", out.path());
    stage(client, "slow.gif", out.path());
    ASSERT_TRUE(site.waitForSlowStart());
  }
  EXPECT_TRUE(FolderBecomes(out.path(), {}));
  site.finishSlowAnswers();
  // The downloader goes on serving others.
  RawClient next;
  ASSERT_TRUE(greet(next));
  const auto b = take(next, "b.gif", out.path(), "b.gif");
  ASSERT_TRUE(b);
  EXPECT_TRUE(b->landed);
}

TEST_F(StagingTest, TwoClientsKeepTheirOwnCopiesAndTheirNoticesInOrder) {
  TempFolder other;
  RawClient first, second;
  ASSERT_TRUE(greet(first));
  ASSERT_TRUE(greet(second));
  stage(first, "slow.gif", out.path(), 2);
  stage(first, "a.gif", out.path(), 2);
  stage(second, "a.gif", other.path(), 2);
  // The second client's request for the first client's copy is its own download.
  const auto theirs = take(second, "b.gif", out.path(), "b.gif");
  ASSERT_TRUE(theirs);
  EXPECT_TRUE(theirs->landed);

  // Asked for in order: the slow one first, so a.gif's notice waits for it.
  first.request(FileRequest{site.url("/slow.gif"), (out.path() / "slow.gif").string(), {}, {}, {}});
  first.request(FileRequest{site.url("/a.gif"), (out.path() / "a.gif").string(), {}, {}, {}});
  site.finishSlowAnswers();
  const auto slow = first.message();
  const auto a = first.message();
  ASSERT_TRUE(slow && a);
  EXPECT_LT(std::stoll(ParseNotice(*slow)->count), std::stoll(ParseNotice(*a)->count));
  EXPECT_EQ(out.read("a.gif"), "GIF89a a");

  const auto own = take(second, "a.gif", other.path(), "mine.gif");
  ASSERT_TRUE(own);
  EXPECT_TRUE(own->landed);
  EXPECT_EQ(Names(other.path()), Strings{"mine.gif"});
}

TEST_F(StagingTest, ACopyThatCannotBeWrittenIsFetchedAgainWhenAskedFor) {
  // The folder does not exist while the copy is fetched; by the time of the
  // request it does, and the file lands as it would have without staging.
  const std::filesystem::path later = out.path() / "later";
  RawClient client;
  ASSERT_TRUE(greet(client));
  stage(client, "a.gif", later);
  for (int i = 0; i < 100 && hits < 1; ++i)
    QThread::msleep(20);
  std::filesystem::create_directory(later);
  const auto a = take(client, "a.gif", later, "a.gif");
  ASSERT_TRUE(a);
  EXPECT_TRUE(a->landed) << a->reasonText;
  EXPECT_EQ(Names(later), Strings{"a.gif"});
}

TEST_F(StagingTest, CopiesAKilledDownloaderLeftAreRemovedAtTheNextRequestIntoTheirFolder) {
  // Left by a downloader that was killed, its runtime folder emptied since.
  const auto old = [](const std::string& path) {
    WriteFile(path, "left");
    const timeval hourAgo[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    utimes(path.c_str(), hourAgo);
  };
  old(out.file(".VeskDownloader-a1B2c3"));
  old(out.file(".VeskDownloader-Zz9yX8"));
  old(out.file(".VeskDownloader-held01"));
  WriteFile(out.file(".VeskDownloader-list"),
            ".VeskDownloader-a1B2c3\n.VeskDownloader-held01\n.VeskDownloader-Zz9yX8\n");
  // Not ours to remove: one the list does not name (a crawl saved it from a
  // URL), and one someone is writing.
  old(out.file(".VeskDownloader-dead01"));
  const int held = open(out.file(".VeskDownloader-held01").c_str(), O_RDONLY);
  ASSERT_EQ(flock(held, LOCK_EX), 0);

  RawClient client;
  ASSERT_TRUE(greet(client));
  const auto a = take(client, "a.gif", out.path(), "a.gif");
  ASSERT_TRUE(a);
  EXPECT_TRUE(a->landed);
  EXPECT_EQ(Names(out.path()),
            (Strings{".VeskDownloader-dead01", ".VeskDownloader-held01", "a.gif"}));
  close(held);
  // Copies staged now are listed while they wait, and the list goes with them.
  stage(client, "b.gif", out.path());
  for (int i = 0; i < 250 && !out.exists(".VeskDownloader-list"); ++i)
    QThread::msleep(20);
  const std::string listed = out.read(".VeskDownloader-list");
  ASSERT_FALSE(listed.empty());
  EXPECT_TRUE(out.exists(listed.substr(0, listed.size() - 1))) << listed;
  const auto b = take(client, "b.gif", out.path(), "b.gif");
  ASSERT_TRUE(b);
  EXPECT_EQ(Names(out.path()),
            (Strings{".VeskDownloader-dead01", ".VeskDownloader-held01", "a.gif", "b.gif"}));
}

TEST_F(StagingTest, ARedirectLoopCostsTheServerTheSameWhetherStagedOrNot) {
  RawClient client;
  ASSERT_TRUE(greet(client));
  const auto direct = take(client, "loop.gif", out.path(), "direct.gif");
  ASSERT_TRUE(direct);
  EXPECT_FALSE(direct->landed);
  const int once = loopHits.exchange(0);
  ASSERT_GT(once, 1);
  stage(client, "loop.gif", out.path());
  for (int i = 0; i < 100 && loopHits < once; ++i)
    QThread::msleep(20);
  const auto staged = take(client, "loop.gif", out.path(), "staged.gif");
  ASSERT_TRUE(staged);
  EXPECT_FALSE(staged->landed);
  EXPECT_EQ(staged->reason, direct->reason);
  EXPECT_EQ(staged->reasonText, direct->reasonText);
  EXPECT_EQ(loopHits, once);
}

TEST_F(StagingTest, AClientHoldsABoundedNumberOfCopiesWithoutDescriptorsAndOthersAreServed) {
  RawClient greedy;
  ASSERT_TRUE(greet(greedy));
  for (int i = 0; i < 1000; ++i)
    stage(greedy, "f" + std::to_string(i) + ".gif", out.path(), 16);
  RawClient other;
  ASSERT_TRUE(greet(other));
  TempFolder elsewhere;
  const auto served = take(other, "b.gif", elsewhere.path(), "b.gif");
  ASSERT_TRUE(served);
  EXPECT_TRUE(served->landed);

  // The copies beyond the limit are refused: never fetched, never made.
  const std::size_t limit = 128;
  for (int i = 0; i < 1500 && hits < static_cast<int>(limit) + 1; ++i)
    QThread::msleep(20);
  // The last copies are written after their server answered.
  for (int i = 0; i < 1500 && Names(out.path()).size() < limit + 1; ++i)
    QThread::msleep(20);
  EXPECT_EQ(Names(out.path()).size(), limit + 1);  // the copies and their list
  EXPECT_TRUE(out.exists(".VeskDownloader-list"));
  EXPECT_EQ(hits, static_cast<int>(limit) + 1);
  // A finished copy waiting to be asked for holds no descriptor.
  const std::string fds = "/proc/" + std::to_string(downloader.process().processId()) + "/fd";
  std::size_t open = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(fds))
    ++open;
  EXPECT_LT(open, 64u);
  const auto refused = take(greedy, "f999.gif", out.path(), "f999.gif");
  ASSERT_TRUE(refused);
  EXPECT_TRUE(refused->landed);  // downloaded the ordinary way
  EXPECT_EQ(hits, static_cast<int>(limit) + 2);
}

TEST_F(StagingTest, APathHoldingAZeroByteIsRefusedEvenForAStagedUrl) {
  RawClient client;
  ASSERT_TRUE(greet(client));
  stage(client, "a.gif", out.path());
  for (int i = 0; i < 100 && hits < 1; ++i)
    QThread::msleep(20);
  const auto cut = take(client, "a.gif", out.path(), std::string("a.gif\0.exe", 9));
  ASSERT_TRUE(cut);
  EXPECT_FALSE(cut->landed);
  EXPECT_EQ(cut->reason, "bad-request");
  EXPECT_FALSE(std::filesystem::exists(out.path() / "a.gif"));
}

}  // namespace
}  // namespace harvel::test
