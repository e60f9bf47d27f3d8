// The row plan is the one decision the crawl and its lookahead share: over
// random options and both page readers, with pages read ahead, every request
// the crawl sends was staged first with the same folder, Referer and limits, no
// staged copy goes unused, and the crawl asks for and lands exactly what it
// does one file at a time.
#include "crawl/row_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "crawl_fixture.h"

namespace harvel::test {
namespace {

using Strings = std::vector<std::string>;
constexpr const char* kStart = "http://h.test/index.html";

class RowPlanTest : public CrawlTest {
 protected:
  RowPlanTest() {
    channel.stages = true;
    channel.tells = true;  // pages are read ahead
    auto& site = channel.site;
    site[kStart] =
        R"(<img src="a.gif"><img src="b.JPG"><img src="c.png"><img src="pic.php?id=1">)"
        R"(<img src="d.webp"><a href="p1.html">x</a><a href="p2.htm">x</a>)"
        R"(<a href="list.cgi?x=1">x</a><a href="mailto:x@h.test">x</a><a href="doc.txt">x</a>)"
        R"(<a href="gopher://h.test/g.gif">x</a><a href="board.php?p=2">x</a>)";
    site["http://h.test/p1.html"] =
        R"(<img src="e.gif"><img src="f.jpeg"><a href="p3.html">x</a><a href="sub/">x</a>)";
    site["http://h.test/p2.htm"] = R"(<img src="g.gif" srcset="g2.gif 2x"><a href="p1.html">x</a>)";
    site["http://h.test/p3.html"] = R"(<img src="h.png"><a href="index.html">x</a>)";
    site["http://h.test/sub/"] = R"(<img src="i.gif">)";
    site["http://h.test/board.php?p=2"] = R"(<img src="j.png">)";
    channel.contentTypes["http://h.test/board.php?p=2"] = "text/html";
    site["http://h.test/list.cgi?x=1"] = R"(<img src="k.gif">)";
    site["http://h.test/doc.txt"] = "plain text";
    site["http://h.test/pic.php?id=1"] = "\x89PNG\r\n\x1A\n picture";
    channel.contentTypes["http://h.test/pic.php?id=1"] = "image/png";
    for (const char* name : {"a.gif", "b.JPG", "c.png", "d.webp", "e.gif", "f.jpeg", "g.gif",
                             "g2.gif", "h.png", "sub/i.gif", "j.png", "k.gif"})
      site[std::string("http://h.test/") + name] = std::string("GIF89a\0\0 ", 9) + name;
  }

  void randomOptions(std::mt19937& random) {
    const auto coin = [&](int in) { return std::uniform_int_distribution(0, in - 1)(random) == 0; };
    for (Check check :
         {Check::Gif, Check::Jpeg, Check::Png, Check::Htm, Check::Mail, Check::Other,
          Check::TextGet, Check::PicFastDown, Check::Renban, Check::CGI, Check::ModernPages})
      options.set(check, coin(2));
    options.set(Check::UserSet, coin(4));
    options.setUserSetText("gif,txt,php,html");
    options.set(Check::CommonURL, coin(4));
    options.setCommonUrlText(coin(2) ? "h.test" : "p1");
    options.setMaxFileSize(coin(3) ? std::optional<std::int64_t>(4096) : std::nullopt);
    options.setJobs(std::uniform_int_distribution(2, 8)(random));
    level_ = std::to_string(std::uniform_int_distribution(1, 3)(random));
    oldFile_ = coin(2);
    options.setMinimumPicture(coin(2) ? PictureSize{64, 64} : PictureSize{});
  }

  // The crawl from a fresh folder: its requests and the files it left.
  std::pair<Strings, Strings> crawlAfresh() {
    std::filesystem::remove_all(folder.path() / "site");
    if (oldFile_)
      folder.write("site/a.gif", "old");  // a(1).gif with numbering on
    channel.requests.clear();
    channel.referers.clear();
    channel.held.clear();
    channel.copiesUsed = channel.copiesUnused = channel.requestsWithout = 0;
    EXPECT_EQ(crawl(kStart, level_), CrawlOutcome::Completed);
    Strings files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path() / "site"))
      files.push_back(entry.path().string() + "=" +
                      folder.read(entry.path().lexically_relative(folder.path()).string()));
    std::sort(files.begin(), files.end());
    Strings requests = channel.requests;
    for (std::size_t i = 0; i < requests.size(); ++i)
      requests[i] += " " + channel.referers[i];
    return {requests, files};
  }

  std::string level_ = "2";
  bool oldFile_ = false;
};

TEST_F(RowPlanTest, TheLookaheadStagesExactlyWhatTheCrawlAsksForUnderAnyOptions) {
  std::mt19937 random(20);
  for (int run = 0; run < 40; ++run) {
    randomOptions(random);
    SCOPED_TRACE("run " + std::to_string(run) + " modern " +
                 std::to_string(options.on(Check::ModernPages)));
    const auto [requests, files] = crawlAfresh();
    EXPECT_EQ(channel.requestsWithout, 0);
    EXPECT_EQ(channel.copiesUnused, 0);
    EXPECT_TRUE(channel.held.empty());
    EXPECT_TRUE(channel.copyFiles.empty());
    EXPECT_EQ(channel.copiesUsed, static_cast<int>(requests.size()));

    options.setJobs(1);
    EXPECT_EQ(crawlAfresh(), std::make_pair(requests, files));
  }
}

}  // namespace
}  // namespace harvel::test
