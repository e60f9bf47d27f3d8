#include "crawl/link_resolver.h"

#include <gtest/gtest.h>

#include <string>

namespace harvel {
namespace {

constexpr const char* kBase = "http://h.test/dir/page.html?x=1#top";

TEST(ResolveLink, ResolvesRelativeLinksAsABrowserDoes) {
  const std::pair<const char*, const char*> cases[] = {
      {"pic.gif", "http://h.test/dir/pic.gif"},
      {"./sub/pic.gif", "http://h.test/dir/sub/pic.gif"},
      {"../a.gif", "http://h.test/a.gif"},
      {"../../../a.gif", "http://h.test/a.gif"},
      {"/abs/b.png", "http://h.test/abs/b.png"},
      {"//other.test/c.jpg", "http://other.test/c.jpg"},
      {"?q=2", "http://h.test/dir/page.html?q=2"},
      {"#sec.2", "http://h.test/dir/page.html?x=1#sec.2"},
      {"a.gif?v=1#f", "http://h.test/dir/a.gif?v=1#f"},
      {"../", "http://h.test/"},
      {"https://s.test/x/../y.html", "https://s.test/y.html"},
      {"ftp://f.test/file.txt", "ftp://f.test/file.txt"},
      {" spaced name.gif ", "http://h.test/dir/spaced%20name.gif"},
      {"bro\r\nken.gif", "http://h.test/dir/broken.gif"},
  };
  for (const auto& [link, expected] : cases) {
    EXPECT_EQ(ResolveLink(kBase, link), expected) << link;
  }
}

TEST(ResolveLink, KeepsOtherSchemesExactlyAsWritten) {
  for (const char* link :
       {"mailto:Someone@H.test", "javascript:void(0.1)", "MAILTO:a@b.c", "news:comp.lang"}) {
    EXPECT_EQ(ResolveLink(kBase, link), link);
  }
}

TEST(ResolveLink, HasNoLengthLimit) {
  const std::string name(3000, 'n');
  EXPECT_EQ(ResolveLink(kBase, name + ".gif"), "http://h.test/dir/" + name + ".gif");
}

TEST(ResolveLink, FailsForWhatCannotBeAUrl) {
  EXPECT_EQ(ResolveLink(kBase, "http://h.test:99999/a.gif"), std::nullopt);
  EXPECT_EQ(ResolveLink(kBase, "http://bad host/a.gif"), std::nullopt);
  EXPECT_EQ(ResolveLink("not a url", "a.gif"), std::nullopt);
}

}  // namespace
}  // namespace harvel
