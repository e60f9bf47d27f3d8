#include <gtest/gtest.h>

#include "common/path_text.h"
#include "cp932_texts.h"
#include "list_file/list_file.h"
#include "list_file_fixture.h"
#include "temp_folder.h"

namespace harvel {
namespace {

using test::kNihongoCp932;
using test::kTesutoCp932;
using test::ReadFile;
using test::WriteFile;

using SaveListFileTest = test::ListFileTest;

TEST_F(SaveListFileTest, WritesTheLayoutInCodePage932WithCrLf) {
  ASSERT_TRUE(SaveListFile(path_, {{"日本語", "http://example.com/", "3"},
                                   {"テスト", "http://example.com/a?b=c", "1"}}));
  EXPECT_EQ(ReadFile(PathFromText(path_)),
            "[setting]\r\ncount=2\r\n"
            "[List1]\r\ntitle=" +
                std::string(kNihongoCp932) +
                "\r\nurl=http://example.com/\r\nlevel=3\r\n"
                "[List2]\r\ntitle=" +
                std::string(kTesutoCp932) + "\r\nurl=http://example.com/a?b=c\r\nlevel=1\r\n");
}

TEST_F(SaveListFileTest, RoundTrips) {
  const std::vector<CrawlTarget> rows = {
      {"日本語のタイトル～－①ⅰ纊", "http://example.com/画像/", "3"},
      {"ascii", "https://example.org/x.cgi?a=1&b=2", "0"},
      {"ｶﾀｶﾅ", "http://example.com/", "-2"},
      {"same url", "http://example.com/", "5"},
  };
  ASSERT_TRUE(SaveListFile(path_, rows));
  EXPECT_EQ(LoadBack(), rows);
}

TEST_F(SaveListFileTest, ValuesThatReadingWouldChangeAreQuoted) {
  const std::vector<CrawlTarget> rows = {{" leading space", "\"quoted\"", "3 "}};
  ASSERT_TRUE(SaveListFile(path_, rows));
  EXPECT_EQ(LoadBack(), rows);
  EXPECT_NE(ReadFile(PathFromText(path_)).find("title=\" leading space\"\r\n"), std::string::npos);
}

TEST_F(SaveListFileTest, LineBreaksInAValueCannotAddSections) {
  ASSERT_TRUE(SaveListFile(path_, {{"a\r\n[List2]\r\ntitle=injected", "u", "1"}}));
  EXPECT_EQ(LoadBack(), (std::vector<CrawlTarget>{{"a  [List2]  title=injected", "u", "1"}}));
}

TEST_F(SaveListFileTest, EmptyListWritesACountOfZero) {
  ASSERT_TRUE(SaveListFile(path_, {}));
  EXPECT_EQ(ReadFile(PathFromText(path_)), "[setting]\r\ncount=0\r\n");
  EXPECT_TRUE(LoadBack().empty());
}

TEST_F(SaveListFileTest, RowsOfALongerEarlierListStay) {
  std::vector<CrawlTarget> five;
  for (int i = 1; i <= 5; ++i)
    five.push_back({"old" + std::to_string(i), "http://old/", "1"});
  ASSERT_TRUE(SaveListFile(path_, five));
  ASSERT_TRUE(SaveListFile(path_, {{"n1", "http://new/", "2"}, {"n2", "", ""}, {"n3", "u", "3"}}));

  const std::string text = ReadFile(PathFromText(path_));
  EXPECT_NE(text.find("[List4]\r\ntitle=old4\r\n"), std::string::npos);
  EXPECT_NE(text.find("[List5]\r\ntitle=old5\r\n"), std::string::npos);
  EXPECT_NE(text.find("count=3\r\n"), std::string::npos);
  // An empty value is stored empty, so it loads as the one before it.
  EXPECT_EQ(LoadBack(),
            (std::vector<CrawlTarget>{
                {"n1", "http://new/", "2"}, {"n2", "http://new/", "2"}, {"n3", "u", "3"}}));
}

TEST_F(SaveListFileTest, OtherLinesOfTheFileAreKept) {
  WriteFile(PathFromText(path_),
            "; notes about my list\n"
            "[Setting]\n"
            "Count=7\n"
            "owner=me\n"
            "\n"
            "[LIST1]\n"
            "TITLE=old\n"
            "comment=keep me\n"
            "[elsewhere]\n"
            "x=" +
                std::string(kNihongoCp932) + "\n");
  ASSERT_TRUE(SaveListFile(path_, {{"new", "http://n/", "1"}, {"two", "http://t/", "2"}}));
  EXPECT_EQ(ReadFile(PathFromText(path_)),
            "; notes about my list\n"
            "[Setting]\n"
            "count=2\n"
            "owner=me\n"
            "\n"
            "[LIST1]\n"
            "title=new\n"
            "comment=keep me\n"
            "url=http://n/\r\n"
            "level=1\r\n"
            "[elsewhere]\n"
            "x=" +
                std::string(kNihongoCp932) +
                "\n"
                "[List2]\r\ntitle=two\r\nurl=http://t/\r\nlevel=2\r\n");
}

TEST_F(SaveListFileTest, ManyRowsRoundTrip) {
  std::vector<CrawlTarget> rows;
  for (int i = 1; i <= 32767; ++i) {
    rows.push_back(
        {"タイトル" + std::to_string(i), "http://example.com/" + std::to_string(i), "3"});
  }
  ASSERT_TRUE(SaveListFile(path_, rows));
  EXPECT_EQ(LoadBack(), rows);
  // Saved again over itself: every key is replaced in place.
  ASSERT_TRUE(SaveListFile(path_, rows));
  EXPECT_EQ(LoadBack(), rows);
}

}  // namespace
}  // namespace harvel
