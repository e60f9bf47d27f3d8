// Crawls with modern pages on: what is queued from a page, how rows are named
// and decided, and that two URLs never share one local file.
#include <gtest/gtest.h>

#include "crawl/crawl_state.h"
#include "crawl/modern/modern_file_name.h"
#include "crawl/modern/modern_types.h"
#include "crawl/modern/untyped_picture.h"
#include "crawl_fixture.h"

namespace harvel::test {
namespace {

using Strings = std::vector<std::string>;
constexpr const char* kPage = "http://h.test/dir/page.html";
constexpr const char* kJpeg = "\xFF\xD8\xFF\xE0jpeg";

class ModernCrawlTest : public CrawlTest {
 protected:
  ModernCrawlTest() { options.set(Check::ModernPages, true); }
};

TEST(ModernFileName, LastSegmentWithoutQueryDecodedAndSafe) {
  EXPECT_EQ(ModernFileName("http://h.test/a/photo.jpg?w=800#x"), "photo.jpg");
  EXPECT_EQ(ModernFileName("http://h.test/%E6%97%A5%E6%9C%AC.jpg"), "日本.jpg");
  EXPECT_EQ(ModernFileName("http://h.test/%93%FA.jpg"), "%93%FA.jpg");  // not UTF-8: as written
  EXPECT_EQ(ModernFileName("http://h.test/a%2Fb%3Ac%00d.png"), "a%2Fb%3Ac%00d.png");
  EXPECT_EQ(ModernFileName("http://h.test/a%2Fb%3Ac%7C.png"), "a_b_c_.png");
  EXPECT_EQ(ModernFileName("http://h.test/a:b*c.gif"), "a_b_c.gif");
  EXPECT_EQ(ModernFileName("http://h.test/google/logo.png"), "logo.png");
  EXPECT_EQ(ModernFileName("http://h.test/dir/"), "index.html");
  EXPECT_EQ(ModernFileName("http://h.test/dir/?page=2"), "index.html");
  EXPECT_EQ(ModernFileName("http://h.test"), "index.html");
  EXPECT_EQ(ModernFileName("http://h.test/%2E%2E"), "index.html");
  EXPECT_EQ(ModernFileName("http://h.test/."), "index.html");
  EXPECT_EQ(ModernFileName("mailto:me@h.test"), "mailto:me@h.test");
  const std::string longName = ModernFileName("http://h.test/" + std::string(300, 'a') + ".jpeg");
  EXPECT_EQ(longName.size(), 200u);
  EXPECT_TRUE(longName.ends_with("a.jpeg"));
  const std::string longJapanese = ModernFileName(
      "http://h.test/" + std::string(100, 'a') + std::string(50 * 3, 'x').replace(0, 150, "") + [] {
        std::string s;
        for (int i = 0; i < 60; ++i)
          s += "%E6%97%A5";
        return s;
      }());
  EXPECT_LE(longJapanese.size(), 200u);
  EXPECT_EQ(longJapanese.size() % 3, 100u % 3);  // cut between characters
}

TEST(ModernFileName, EveryUrlClaimsAPathOfItsOwn) {
  TempFolder folder;
  CrawlState state;
  const auto claim = [&](const std::string& url) {
    state.CurURL = url;
    state.SaveFile = folder.text() + "/" + ModernFileName(url);
    EXPECT_TRUE(state.claimSaveFile());
    return state.SaveFile.substr(folder.text().size() + 1);
  };
  folder.write("01(2).jpg", "left by an earlier crawl");
  EXPECT_EQ(claim("http://h/a/01.jpg"), "01.jpg");
  EXPECT_EQ(claim("http://h/b/01.jpg"), "01(1).jpg");
  EXPECT_EQ(claim("http://h/c/01.jpg?x"), "01(3).jpg");
  EXPECT_EQ(claim("http://h/a/01.jpg"), "01.jpg");  // the same URL keeps its own path
  EXPECT_EQ(claim("http://h/d/01.jpg"), "01(4).jpg");
}

TEST(ModernTypes, PathDecidesWithoutQueryInAnyCase) {
  StaticCrawlOptions options;
  const UserExtList none;
  const auto type = [&](ReferenceKind kind, const std::string& url) {
    return ClassifyReference({kind, url}, options, none);
  };
  EXPECT_EQ(type(ReferenceKind::Picture, "http://h/a.JPG?w=800"), ReferenceType::Continue);
  EXPECT_EQ(type(ReferenceKind::Picture, "http://h/a.webp"), ReferenceType::Continue);
  EXPECT_EQ(type(ReferenceKind::Link, "http://h/a.AVIF#x"), ReferenceType::Continue);
  EXPECT_EQ(type(ReferenceKind::Link, "http://h/b.HTML?x=1"), ReferenceType::Html);
  EXPECT_EQ(type(ReferenceKind::Frame, "http://h/f.htm"), ReferenceType::Html);
  EXPECT_EQ(type(ReferenceKind::Icon, "http://h/favicon.ico"), ReferenceType::Continue);
  EXPECT_EQ(type(ReferenceKind::Link, "http://h/favicon.ico"), ReferenceType::Skip);
  EXPECT_EQ(type(ReferenceKind::Picture, "http://h/img/12345"), ReferenceType::Untyped);
  EXPECT_EQ(type(ReferenceKind::Picture, "http://h/thumb.php?id=3"), ReferenceType::Untyped);
  EXPECT_EQ(type(ReferenceKind::Link, "http://h/file.zip"), ReferenceType::Skip);
  EXPECT_EQ(type(ReferenceKind::Link, "http://h/2024/05/post/"), ReferenceType::Html);
  EXPECT_EQ(type(ReferenceKind::Link, "http://h/?p=2"), ReferenceType::Html);
  EXPECT_EQ(type(ReferenceKind::Link, "http://h/view.PHP?id=2"), ReferenceType::Html);
  EXPECT_EQ(type(ReferenceKind::Picture, "http://h/2024/"), ReferenceType::Untyped);
  EXPECT_EQ(type(ReferenceKind::Link, "mailto:me@h.test"), ReferenceType::Continue);
  options.set(Check::Jpeg, false);
  EXPECT_EQ(type(ReferenceKind::Picture, "http://h/a.jpeg"), ReferenceType::Skip);
  EXPECT_EQ(type(ReferenceKind::Picture, "http://h/a.webp"), ReferenceType::Continue);
  for (Check box : {Check::Gif, Check::Png})
    options.set(box, false);
  EXPECT_EQ(type(ReferenceKind::Picture, "http://h/a.svg"), ReferenceType::Skip);
  EXPECT_EQ(type(ReferenceKind::Picture, "http://h/img/12345"), ReferenceType::Skip);

  options.set(Check::UserSet, true);
  const UserExtList list = SplitUserExt("jpg,webp");
  EXPECT_EQ(ClassifyReference({ReferenceKind::Picture, "http://h/a.JPG?x"}, options, list),
            ReferenceType::Continue);
  EXPECT_EQ(ClassifyReference({ReferenceKind::Picture, "http://h/a.png"}, options, list),
            ReferenceType::Skip);
  EXPECT_EQ(ClassifyReference({ReferenceKind::Picture, "http://h/cdn/x"}, options, list),
            ReferenceType::Untyped);
}

TEST(UntypedPicture, ContentTypesGiveEndings) {
  EXPECT_EQ(PictureEndingOfContentType("image/jpeg"), "jpg");
  EXPECT_EQ(PictureEndingOfContentType("Image/PNG; charset=binary"), "png");
  EXPECT_EQ(PictureEndingOfContentType("image/svg+xml"), "svg");
  EXPECT_EQ(PictureEndingOfContentType("image/webp"), "webp");
  EXPECT_EQ(PictureEndingOfContentType("image/vnd.microsoft.icon"), "ico");
  EXPECT_EQ(PictureEndingOfContentType("text/html"), "");
  EXPECT_EQ(PictureEndingOfContentType("image/../x"), "");
  EXPECT_EQ(PictureEndingOfContentType("image/exe"), "");
  EXPECT_EQ(PictureEndingOfContentType("image/tiff"), "");
}

TEST_F(ModernCrawlTest, QueuesEveryPictureOfAModernPage) {
  channel.site[kPage] =
      "<HTML><BODY BACKGROUND='bg.GIF'>\n"
      "<img src=\"data:image/gif;base64,AA\" data-lazy-src=\"/up/a.jpg?ver=2\" "
      "srcset=\"/up/a-300.jpg 300w, /up/a-1024.jpg 1024w\">\n"
      "<picture><source srcset=\"p.webp\" type=image/webp><img src=p.jpg></picture>\n"
      "<div style=\"background-image:url('css.png')\"></div>\n"
      "<iframe src=ad.html></iframe><a href=full.jpg>full</a><a href=next.html>next</a>";
  options.set(Check::PicFastDown, false);
  EXPECT_EQ(crawl(kPage, "1"), CrawlOutcome::Completed);
  EXPECT_EQ(observer.queued,
            (Strings{"http://h.test/dir/bg.GIF 1", "http://h.test/up/a.jpg?ver=2 1",
                     "http://h.test/up/a-1024.jpg 1", "http://h.test/dir/p.webp 1",
                     "http://h.test/dir/p.jpg 1", "http://h.test/dir/css.png 1",
                     "http://h.test/dir/ad.html 0", "http://h.test/dir/full.jpg 1",
                     "http://h.test/dir/next.html 0"}));
}

TEST_F(ModernCrawlTest, AFrameDoesNotStopThePageLinks) {
  channel.site[kPage] = "<frameset><frame src=menu.html><frame src=main.html></frameset>";
  channel.site["http://h.test/dir/main.html"] = "<a href=big.jpg>x</a>";
  EXPECT_EQ(crawl(kPage, "1"), CrawlOutcome::Completed);
  EXPECT_EQ(observer.queued,
            (Strings{"http://h.test/dir/menu.html 0", "http://h.test/dir/main.html 0"}));
  // Level 0 pages take pictures but follow no href.
  EXPECT_EQ(requestedUrls(),
            (Strings{kPage, "http://h.test/dir/menu.html", "http://h.test/dir/main.html"}));
}

TEST_F(ModernCrawlTest, APageOfLevelZeroFollowsNoHref) {
  channel.site[kPage] = "<img src=a.gif><a href=b.jpg>b</a><a href=c.html>c</a>";
  EXPECT_EQ(crawl(kPage, "0"), CrawlOutcome::Completed);
  EXPECT_EQ(observer.queued, (Strings{"http://h.test/dir/a.gif 0"}));
}

TEST_F(ModernCrawlTest, SameNamesFromDifferentUrlsNeverOverwriteEachOther) {
  channel.site[kPage] =
      "<a href=thumbs/01.jpg><img src=thumbs/01.jpg></a><a href=full/01.jpg>x</a>"
      "<img src=\"q.jpg?size=s\"><img src=\"q.jpg?size=l\">";
  channel.site["http://h.test/dir/thumbs/01.jpg"] = "thumb";
  channel.site["http://h.test/dir/full/01.jpg"] = "full";
  channel.site["http://h.test/dir/q.jpg?size=s"] = "small";
  channel.site["http://h.test/dir/q.jpg?size=l"] = "large";
  options.set(Check::PicFastDown, false);
  EXPECT_EQ(crawl(kPage, "1"), CrawlOutcome::Completed);
  EXPECT_EQ(file("site/01.jpg"), "thumb");
  EXPECT_EQ(file("site/01(1).jpg"), "full");
  EXPECT_EQ(file("site/q.jpg"), "small");
  EXPECT_EQ(file("site/q(1).jpg"), "large");
  EXPECT_EQ(observer.status2.back(), "ダウンロード総数:4 (残りの数：0 )");
}

TEST_F(ModernCrawlTest, UpperCaseAndNewPictureTypesAreDecidedAsPictures) {
  options.set(Check::TextGet, false);
  options.set(Check::Gif, false);
  for (const char* url : {"http://h.test/A.JPG", "http://h.test/b.webp", "http://h.test/c.GIF",
                          "http://h.test/d.Png?x=1"}) {
    channel.site[url] = "x";
    crawl(url);
  }
  EXPECT_EQ(requestedUrls(),
            (Strings{"http://h.test/A.JPG", "http://h.test/b.webp", "http://h.test/d.Png?x=1"}));
  EXPECT_TRUE(exists("site/d.Png"));
}

TEST_F(ModernCrawlTest, AnUntypedPictureIsKeptUnderItsTypeOrDropped) {
  channel.site[kPage] = "<img src=/cdn/abc><img src=/cdn/notpicture><img src=/cdn/gif>";
  channel.site["http://h.test/cdn/abc"] = kJpeg;
  channel.site["http://h.test/cdn/notpicture"] = "<html>";
  channel.site["http://h.test/cdn/gif"] = "GIF89a...";
  options.set(Check::Gif, false);
  EXPECT_EQ(crawl(kPage, "0"), CrawlOutcome::Completed);
  EXPECT_EQ(file("site/abc.jpg"), kJpeg);
  EXPECT_FALSE(exists("site/abc"));
  EXPECT_FALSE(exists("site/notpicture"));
  EXPECT_FALSE(exists("site/gif"));
  EXPECT_FALSE(exists("site/gif.gif"));
  EXPECT_EQ(observer.status2.back(), "ダウンロード総数:1 (残りの数：0 )");
}

TEST_F(ModernCrawlTest, TheServersContentTypeDecidesAnUntypedPicture) {
  const std::string webp("RIFF\x10\0\0\0WEBPVP8 ", 16);
  const auto serve = [this](const std::string& name, const std::string& body, const char* type) {
    channel.site["http://h.test/cdn/" + name] = body;
    if (type != nullptr)
      channel.contentTypes["http://h.test/cdn/" + name] = type;
  };
  channel.site[kPage] =
      "<img src=/cdn/photo><img src=/cdn/page><img src=/cdn/untold><img src=/cdn/invoice.exe>"
      "<img src=/cdn/launcher><img src=/cdn/forged><img src=/cdn/vector>";
  serve("photo", webp, "image/webp");
  serve("page", kJpeg, "text/html; charset=utf-8");  // looks like a picture, is not one
  serve("untold", kJpeg, nullptr);
  // Only a picture type of the known ones names a file, and only when the
  // file's first bytes agree with it.
  serve("invoice.exe", "MZ program", "image/exe");
  serve("launcher", "[Desktop Entry]", "image/desktop");
  serve("forged", "<html><script>", "image/jpeg");
  serve("vector", "<?xml version=\"1.0\"?><svg/>", "image/svg+xml");
  EXPECT_EQ(crawl(kPage, "0"), CrawlOutcome::Completed);
  EXPECT_EQ(file("site/photo.webp"), webp);
  EXPECT_FALSE(exists("site/page"));
  EXPECT_EQ(file("site/untold.jpg"), kJpeg);
  for (const char* name : {"invoice.exe", "launcher", "launcher.desktop", "forged", "forged.jpg"})
    EXPECT_FALSE(exists(std::string("site/") + name)) << name;
  EXPECT_TRUE(exists("site/vector.svg"));
  EXPECT_EQ(observer.status2.back(), "ダウンロード総数:3 (残りの数：0 )");
}

TEST_F(ModernCrawlTest, AStartPageThatTheServerCallsHtmlIsReadWhateverItsName) {
  const std::string start = "http://h.test/board.php?id=5";
  channel.site[start] = "<img src=a.gif><a href=other.php?id=6>x</a>";
  channel.contentTypes[start] = "text/html; charset=Shift_JIS";
  channel.site["http://h.test/a.gif"] = "GIF89a";
  channel.site["http://h.test/other.php?id=6"] = "<img src=b.gif>";
  channel.contentTypes["http://h.test/other.php?id=6"] = "text/html";
  options.set(Check::Other, true);
  EXPECT_EQ(crawl(start, "2"), CrawlOutcome::Completed);
  // A linked server program's page is a page link: it uses up a level.
  EXPECT_EQ(observer.queued, (Strings{"http://h.test/a.gif 2", "http://h.test/other.php?id=6 1",
                                      "http://h.test/b.gif 1"}));
  EXPECT_FALSE(exists("site/board.php"));  // dropped as pages, HtmChk being off
  EXPECT_FALSE(exists("site/other.php"));
}

TEST_F(ModernCrawlTest, OffEveryCrawlIsTodays) {
  options.set(Check::ModernPages, false);
  channel.site[kPage] = "<img src='a.gif'><img src=\"b.JPG\"><img data-src=\"c.jpg?x=1\">";
  EXPECT_EQ(crawl(kPage, "0"), CrawlOutcome::Completed);
  EXPECT_TRUE(observer.queued.empty());  // single quotes, upper case and queries as today
}

}  // namespace
}  // namespace harvel::test
