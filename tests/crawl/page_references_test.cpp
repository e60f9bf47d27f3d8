#include "crawl/modern/page_references.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "crawl/modern/css_urls.h"
#include "crawl/modern/parser_input.h"
#include "crawl/modern/srcset.h"

namespace harvel {

void PrintTo(const PageReference& reference, std::ostream* out) {
  *out << static_cast<int>(reference.kind) << ' ' << reference.url;
}

namespace {

constexpr const char* kPage = "http://site.test/blog/post.html";

std::vector<PageReference> Read(const std::string& html) {
  return ReadPageReferences(html, kPage);
}

PageReference Picture(const std::string& path) {
  return {ReferenceKind::Picture, "http://site.test" + path};
}
PageReference Link(const std::string& path) {
  return {ReferenceKind::Link, "http://site.test" + path};
}

TEST(PageReferences, AttributesInAnyCaseAndQuoting) {
  EXPECT_EQ(
      Read("<IMG SRC='a.jpg'><img Src = b.PNG><img\nsrc=\"c.gif\" alt=x>"
           "<A HREF=d.html>d</A><area href='/e.htm'>"),
      (std::vector<PageReference>{Picture("/blog/a.jpg"), Picture("/blog/b.PNG"),
                                  Picture("/blog/c.gif"), Link("/blog/d.html"), Link("/e.htm")}));
}

TEST(PageReferences, CharacterReferencesAreDecoded) {
  EXPECT_EQ(Read("<img src=\"pic.php?a=1&amp;b=2\">"),
            std::vector<PageReference>{Picture("/blog/pic.php?a=1&b=2")});
}

TEST(PageReferences, EveryKindOfPictureInDocumentOrder) {
  const std::string html =
      "<html><head>"
      "<meta property=\"og:image\" content=\"/og.jpg\">"
      "<meta name=\"Twitter:Image\" content=\"/tw.jpg\">"
      "<link rel=\"shortcut icon\" href=\"/favicon.ico\">"
      "<link rel=apple-touch-icon href=/touch.png>"
      "<link rel=image_src href=/src.jpg>"
      "<link rel=stylesheet href=/site.css>"
      "<style>body{background:url(/bg.jpg)} .x{background-image:url( 'q.png' )}</style>"
      "</head><body background=\"body.gif\">"
      "<table><tr><td background=cell.gif>x</td></tr></table>"
      "<div style=\"background:url(&quot;div.jpg&quot;)\"></div>"
      "<input type=image src=button.png>"
      "<video poster=poster.jpg src=movie.mp4></video>"
      "<img src=\"data:image/gif;base64,R0lGOD\" data-lazy-src=\"lazy.jpg\">"
      "<iframe src=\"/ad/frame.html\"></iframe>"
      "</body></html>";
  EXPECT_EQ(Read(html),
            (std::vector<PageReference>{Picture("/og.jpg"),
                                        Picture("/tw.jpg"),
                                        {ReferenceKind::Icon, "http://site.test/favicon.ico"},
                                        {ReferenceKind::Icon, "http://site.test/touch.png"},
                                        Picture("/src.jpg"),
                                        Picture("/bg.jpg"),
                                        Picture("/blog/q.png"),
                                        Picture("/blog/body.gif"),
                                        Picture("/blog/cell.gif"),
                                        Picture("/blog/div.jpg"),
                                        Picture("/blog/button.png"),
                                        Picture("/blog/poster.jpg"),
                                        Picture("/blog/lazy.jpg"),
                                        {ReferenceKind::Frame, "http://site.test/ad/frame.html"}}));
}

TEST(PageReferences, LazyAttributesCountOnlyWhenTheyNamePictures) {
  EXPECT_EQ(Read("<img data-src=a.jpg data-original='b.webp?x=1' data-large-file=c.JPEG "
                 "data-id=42 data-title=\"photo.jpg is nice\" data-bg=\"url(d.png)\" "
                 "data-srcset=\"e-300.jpg 300w, e-900.jpg 900w\">"),
            (std::vector<PageReference>{Picture("/blog/a.jpg"), Picture("/blog/b.webp?x=1"),
                                        Picture("/blog/c.JPEG"), Picture("/blog/d.png"),
                                        Picture("/blog/e-900.jpg")}));
}

TEST(PageReferences, LazyPicturesWithoutEndingsAndInNoscript) {
  EXPECT_EQ(Read("<img data-src=\"https://cdn.test/i/8f3a?w=800\" data-id=\"/x/77\">"
                 "<div data-src=\"/not/a/picture\"></div>"
                 "<noscript><img src=\"n.jpg\"></noscript>"),
            (std::vector<PageReference>{{ReferenceKind::Picture, "https://cdn.test/i/8f3a?w=800"},
                                        Picture("/blog/n.jpg")}));
}

TEST(PageReferences, PictureElementSourcesGiveTheirLargestCandidates) {
  EXPECT_EQ(Read("<picture><source type=image/webp srcset=\"p.webp 1x, p@2x.webp 2x\">"
                 "<source srcset=p.jpg><img src=p-small.jpg></picture>"),
            (std::vector<PageReference>{Picture("/blog/p@2x.webp"), Picture("/blog/p.jpg"),
                                        Picture("/blog/p-small.jpg")}));
}

TEST(PageReferences, ARefreshLinksToItsTarget) {
  EXPECT_EQ(
      Read("<META HTTP-EQUIV=Refresh CONTENT=\"0; URL='main.html'\">"
           "<meta http-equiv=refresh content=5><meta http-equiv=refresh content=\"1;top.htm\">"),
      (std::vector<PageReference>{Link("/blog/main.html"), Link("/blog/top.htm")}));
}

TEST(PageReferences, BaseHrefResolvesEveryReference) {
  EXPECT_EQ(Read("<head><base href=\"http://cdn.test/media/\"></head>"
                 "<img src=a.jpg><a href=\"/b.html\">b</a>"),
            (std::vector<PageReference>{{ReferenceKind::Picture, "http://cdn.test/media/a.jpg"},
                                        {ReferenceKind::Link, "http://cdn.test/b.html"}}));
  // A relative base is resolved against the page.
  EXPECT_EQ(Read("<base href=\"../img/\"><img src=a.jpg>"),
            std::vector<PageReference>{Picture("/img/a.jpg")});
}

TEST(PageReferences, NonWebSchemesAndCommentsAreLeftOut) {
  const PageReference mail{ReferenceKind::Link, "mailto:me@site.test"};
  EXPECT_EQ(Read("<a href=\"javascript:void(0)\">x</a><a href=#top>t</a>"
                 "<a href=\"mailto:me@site.test\">m</a><img src=\"\">"
                 "<!-- <img src=comment.jpg> --><a href=\"tel:123\">t</a>"),
            std::vector<PageReference>{mail});
}

TEST(PageReferences, ScriptStringsThatNamePicturesAreTaken) {
  EXPECT_EQ(Read("<script>document.write('<img src=\"w.jpg\">');"
                 "var gallery = ['g/1.JPG', \"g/2.webp?x=1\", 'not a.jpg', 'page.html', 'x.js'];"
                 "if (name.endsWith(\".gif\") || name == '.png' || n == 'g/.jpg') x();"
                 "</script><script type=application/ld+json>"
                 "{\"image\":\"https:\\/\\/site.test\\/ld.png\"}</script>"),
            (std::vector<PageReference>{Picture("/blog/w.jpg"),
                                        Picture("/blog/g/1.JPG"),
                                        Picture("/blog/g/2.webp?x=1"),
                                        {ReferenceKind::Picture, "https://site.test/ld.png"}}));
}

TEST(PageReferences, SvgImagesAndBrokenMarkupAreRead) {
  EXPECT_EQ(Read("<svg><image href=\"s.svg\"/><image xlink:href=\"t.png\"/></svg>"
                 "<p><img src=u.jpg<b>text</p><img src=\"v.jpg"),
            (std::vector<PageReference>{Picture("/blog/s.svg"), Picture("/blog/t.png"),
                                        Picture("/blog/u.jpg<b")}));
}

TEST(PageReferences, ShiftJisBytesInAUrlReachTheServerUnchanged) {
  const std::string html = "<img src=\"\x8E\xCA\x90\x5E.jpg\">";
  const auto references = Read(html);
  ASSERT_EQ(references.size(), 1u);
  EXPECT_EQ(references[0].url.find("\xEF\xBF\xBD"), std::string::npos) << references[0].url;
}

TEST(PageReferences, AWholeLongPageIsReadUpToTheSizeLimit) {
  std::string html;
  for (int line = 0; line < 2000; ++line)
    html += "<p>line " + std::to_string(line) + "</p>\r\n";
  html += "<img src=last.jpg>";
  EXPECT_EQ(Read(html), std::vector<PageReference>{Picture("/blog/last.jpg")});

  std::string huge = "<img src=first.jpg>";
  huge.append(kModernPageLimit, ' ');
  huge += "<img src=beyond.jpg>";
  EXPECT_EQ(Read(huge), std::vector<PageReference>{Picture("/blog/first.jpg")});
}

TEST(PageReferences, DeeplyNestedMarkupIsReadInsideTheNestingLimit) {
  std::string html;
  for (int i = 0; i < 100000; ++i)
    html += i % 2 ? "<span style='background:url(s.gif)'>" : "<div>";
  html += "<img src=deep.jpg>";
  const auto references = Read(html);
  ASSERT_FALSE(references.empty());
  EXPECT_EQ(references.back(), Picture("/blog/deep.jpg"));
  EXPECT_EQ(references.front(), Picture("/blog/s.gif"));
}

TEST(ParserInput, HoldsOnlyWhatItCounted) {
  // Text "<", comments and doctypes cannot hide tags; values are quoted.
  EXPECT_EQ(ParserInput("<!DOCTYPE html><!-- <div> -->a<1<img alt='x\"y' src=a.jpg><p>", 9),
            "a&lt;1<img alt=\"x&quot;y\" src=\"a.jpg\"><p>");
  // Text elements keep their text, with every "<" in it written out.
  EXPECT_EQ(ParserInput("<script>if(a<b)x='<div>'</script ><style>p{}</style>", 9),
            "<script>if(a&lt;b)x='&lt;div>'</script><style>p{}</style>");
  // Formatting becomes span; an end tag that closes nothing is left out.
  EXPECT_EQ(ParserInput("<b><font color=red>x</font></i></b></div>", 9),
            "<span><span color=\"red\">x</span></span>");
  // Beyond the limit: left out, or closed at once when it has attributes.
  EXPECT_EQ(ParserInput("<div><section><div><div id=a><a href=x.html>x</a></div></div>", 2),
            "<div><section><div id=\"a\"></div><a href=\"x.html\"></a>x</div>");
  // A form's end tag or a stray end tag cannot close what the parser keeps open.
  EXPECT_EQ(ParserInput("<div><form><div></form><span></div></span></div>", 9),
            "<div><form><div></form><span></div></div>");
  std::string many = "<img";
  for (int i = 0; i < 150; ++i)
    many += " a" + std::to_string(i);
  EXPECT_EQ(ParserInput(many + ">", 9).find(" a100"), std::string::npos);
  EXPECT_NE(ParserInput(many + ">", 9).find(" a99>"), std::string::npos);
}

TEST(ParserInput, KeepsAnyPageLinearForTheParser) {
  // Each of these made the parser's time grow with the square of its size.
  const auto repeated = [](std::string unit, std::size_t times) {
    std::string page;
    for (std::size_t i = 0; i < times; ++i)
      page += unit;
    return page;
  };
  std::string attributes = "<div";
  std::string formatting;
  for (int i = 0; i < 20000; ++i) {
    attributes += " a" + std::to_string(i) + "=1";
    formatting += "<p><b x" + std::to_string(i) + ">t</p>";
  }
  const std::string pages[] = {
      attributes + "><img src=after.jpg>", formatting + "<img src=after.jpg>",
      repeated("<div></span>", 20000) + "<img src=after.jpg>",
      repeated("<div/>", 20000) + "<img src=after.jpg>",
      repeated("<span>", 399) + repeated("</x>", 100000) + "<img src=after.jpg>"};
  for (const std::string& page : pages) {
    const std::vector<PageReference> references = Read(page);
    ASSERT_FALSE(references.empty());
    EXPECT_EQ(references.back(), Picture("/blog/after.jpg"));
  }
}

TEST(Srcset, TheLargestCandidateWins) {
  EXPECT_EQ(LargestSrcsetCandidate("a.jpg 300w, b.jpg 1024w, c.jpg 768w"), "b.jpg");
  EXPECT_EQ(LargestSrcsetCandidate("a.jpg, b.jpg 2x, c.jpg 1.5x"), "b.jpg");
  EXPECT_EQ(LargestSrcsetCandidate("a.jpg 1x,b.jpg 3x"), "b.jpg");
  EXPECT_EQ(LargestSrcsetCandidate("  only.jpg  "), "only.jpg");
  // Width descriptors are preferred over densities.
  EXPECT_EQ(LargestSrcsetCandidate("a.jpg 2x, b.jpg 400w"), "b.jpg");
  // Commas inside a URL (a CDN's resize parameters) stay in it.
  EXPECT_EQ(LargestSrcsetCandidate("https://cdn.test/w_300,h_200/a.jpg 300w, "
                                   "https://cdn.test/w_900,h_600/a.jpg 900w"),
            "https://cdn.test/w_900,h_600/a.jpg");
  EXPECT_EQ(LargestSrcsetCandidate("a.jpg,, b.jpg 2x"), "b.jpg");
  EXPECT_EQ(LargestSrcsetCandidate("a.jpg 100w 50h (x, y), b.jpg 50w"), "a.jpg");
  EXPECT_EQ(LargestSrcsetCandidate(" , "), "");
  EXPECT_EQ(LargestSrcsetCandidate("a.jpg 1x, b.jpg 1x"), "a.jpg");
}

TEST(CssUrls, EveryFormOfUrl) {
  EXPECT_EQ(CssUrls("a{background:url(a.jpg)} b{background:URL( \"b.png\" )}"
                    "c{background:url('c d.gif')} d{background:url(e\\(1\\).jpg)}"
                    "e{background-image:image-set(\"f.jpg\" 1x, url(g.jpg) 2x)}"),
            (std::vector<std::string>{"a.jpg", "b.png", "c d.gif", "e(1).jpg", "f.jpg", "g.jpg"}));
}

TEST(CssUrls, ImportsCommentsAndDataAreLeftOut) {
  EXPECT_EQ(CssUrls("@import url(other.css); @import 'x.css';"
                    "/* url(commented.jpg) */ a{content:\"url(no.jpg)\"}"
                    "b{background:url(data:image/png;base64,AAA)} c{background:url(yes.jpg)}"),
            std::vector<std::string>{"yes.jpg"});
  EXPECT_EQ(CssUrls("a{background:url("), std::vector<std::string>{});
  EXPECT_EQ(CssUrls("a{background:url('open"), std::vector<std::string>{"open"});
}

}  // namespace
}  // namespace harvel
