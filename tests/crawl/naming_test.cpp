// GetFileName, the numbered names and the title check.
#include <gtest/gtest.h>

#include <string>

#include "crawl/file_name.h"
#include "crawl/modern/modern_file_name.h"
#include "crawl/sequential_name.h"
#include "crawl/title_check.h"
#include "temp_folder.h"

namespace harvel {
namespace {

TEST(GetFileName, TakesTheLastPathSegment) {
  EXPECT_EQ(GetFileName("http://h.test/pics/a.gif"), "a.gif");
  EXPECT_EQ(GetFileName("http://h.test/pics/"), "index.html");
  EXPECT_EQ(GetFileName("http://h.test:8080"), "h.test:8080");
  EXPECT_EQ(GetFileName("mailto:me@h.test"), "mailto:me@h.test");
  EXPECT_EQ(GetFileName("http://h.test/%E3%81%82.png"), "%E3%81%82.png");
  EXPECT_EQ(GetFileName("http://h.test/Google/a.gif"), "a.gif");  // case-sensitive
  EXPECT_EQ(GetFileName(""), "index.html");
}

TEST(GetFileName, GivesIndexHtmlForNamesThatCannotBeStored) {
  for (const char* url : {"http://h.test/view.cgi?id=3", "http://google.test/a.gif",
                          "http://h.test/a|b.gif", "http://h.test/a\\b.gif", "http://h.test/*.gif",
                          "http://h.test/<a>.gif", "http://h.test/a\"b.gif",
                          // these would name the target folder or Harvel's own folder
                          "http://h.test/a/.", "http://h.test/a/.."}) {
    EXPECT_EQ(GetFileName(url), "index.html") << url;
  }
}

TEST(FileNames, NeverHoldInvisibleFormatCharacters) {
  // U+202E would show "pic<RLO>gpj.exe" as "picexe.jpg".
  EXPECT_EQ(GetFileName("http://h.test/pic\u202Egpj.exe"), "pic_gpj.exe");
  EXPECT_EQ(GetFileName("http://h.test/\uFEFFa\u200Bb\u2066c\u061C.png"), "_a_b_c_.png");
  EXPECT_EQ(ModernFileName("http://h.test/pic%E2%80%AEgpj.exe?x=1"), "pic_gpj.exe");
  EXPECT_EQ(ModernFileName("http://h.test/%E2%81%A7a\u200Fb.png"), "_a_b.png");
  EXPECT_EQ(GetFileName("http://h.test/\u65E5\u672C.jpg"), "\u65E5\u672C.jpg");
}

TEST(NumberedName, PutsTheNumberIntoTheFileName) {
  EXPECT_EQ(NumberedName("/h/site/photo.gif", 1), "/h/site/photo(1).gif");
  EXPECT_EQ(NumberedName("/h/site/a.tar.gz", 12), "/h/site/a.tar(12).gz");
  EXPECT_EQ(NumberedName("/h/site/readme", 1), "/h/site/readme(1)");
  // A dot in the folder part is never used: the file must land in the folder.
  EXPECT_EQ(NumberedName("/h/site.v2/readme", 2), "/h/site.v2/readme(2)");
}

TEST(NumberedName, TakesTheFirstFreeNumber) {
  test::TempFolder folder;
  const std::string base = folder.write("photo.gif", "x");
  folder.write("photo(1).gif", "x");
  std::filesystem::create_directory(folder.path() / "photo(2).gif");  // a folder is no file
  EXPECT_EQ(FirstFreeNumberedName(base), folder.text() + "/photo(2).gif");
}

TEST(TitleIsRefused, RefusesTitlesThatNameNoFolderInsideHarvelsFolder) {
  for (const char* title : {"..", "../x", "a/b", "/abs", "a\\b", "\\\\server\\x", "", ".", "a\nb",
                            "line\r\n", "tab\there", "bell\a", "del\x7f"}) {
    EXPECT_TRUE(TitleIsRefused(title)) << title;
  }
  EXPECT_TRUE(TitleIsRefused(std::string("cut\0here", 8)));
  for (const char* title : {"site", "site.v2", "...", "a..b", "サイト", "a=b"}) {
    EXPECT_FALSE(TitleIsRefused(title)) << title;
  }
}

}  // namespace
}  // namespace harvel
