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
using test::WriteFile;

using LoadListFileTest = test::ListFileTest;

TEST_F(LoadListFileTest, ReadsRowsWrittenByTheWindowsProgram) {
  const std::string file =
      "[setting]\r\ncount=2\r\n[List1]\r\ntitle=" + std::string(kNihongoCp932) +
      "\r\nurl=http://example.com/\r\nlevel=3\r\n[List2]\r\ntitle=" + std::string(kTesutoCp932) +
      "\r\nurl=http://example.com/a?b=c\r\nlevel=1\r\n";
  EXPECT_EQ(Load(file), (std::vector<CrawlTarget>{{"日本語", "http://example.com/", "3"},
                                                  {"テスト", "http://example.com/a?b=c", "1"}}));
}

TEST_F(LoadListFileTest, CountConversions) {
  const std::string rows =
      "[List1]\ntitle=a\n[List2]\ntitle=b\n[List3]\ntitle=c\n[List4]\ntitle=d\n";
  const struct {
    std::string_view count;
    std::size_t rows;
  } cases[] = {
      {"count=abc\n", 0},
      {"count=40000\n", 0},
      {"count=-1\n", 0},
      {"count=\n", 0},
      {"", 0},
      {"count=0\n", 0},
      {"count=2.5\n", 2},
      {"count=3.5\n", 4},
      {"count=1.5\n", 2},
      {"count= 3 \n", 3},
      {"count=2x\n", 0},
      {"count=-32769\n", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Load("[setting]\n" + std::string(c.count) + rows).size(), c.rows) << c.count;
  }
}

TEST_F(LoadListFileTest, EmptyValuesCarryOverFromThePreviousRow) {
  const std::vector<CrawlTarget> rows = Load(
      "[setting]\ncount=5\n"
      "[List1]\nurl=http://a/\nlevel=2\n"          // no title: stays empty
      "[List2]\ntitle=second\nurl=\nlevel=\"\"\n"  // stored empty: carried over
      "[List3]\ntitle=third\nurl=http://c/\n"
      "[List4]\nlevel=9\n");  // List5 is missing: a copy of List4
  EXPECT_EQ(rows, (std::vector<CrawlTarget>{{"", "http://a/", "2"},
                                            {"second", "http://a/", "2"},
                                            {"third", "http://c/", "2"},
                                            {"third", "http://c/", "9"},
                                            {"third", "http://c/", "9"}}));
}

TEST_F(LoadListFileTest, CountLargerThanTheSectionsCopiesTheLastRow) {
  EXPECT_EQ(Load("[setting]\ncount=3\n[List1]\ntitle=a\nurl=u\nlevel=1\n[List2]\ntitle=b\n"),
            (std::vector<CrawlTarget>{{"a", "u", "1"}, {"b", "u", "1"}, {"b", "u", "1"}}));
}

TEST_F(LoadListFileTest, NamesAnyCaseSpacesAndQuotes) {
  EXPECT_EQ(Load("[SETTING]\nCount = 1\n"
                 "  [list1]  \n"
                 "Title =  \" spaced title \"  \n"
                 "URL=  http://x/  \n"
                 "LEVEL=\"3\"\n"),
            (std::vector<CrawlTarget>{{" spaced title ", "http://x/", "3"}}));
}

TEST_F(LoadListFileTest, RowsAreAppendedAfterThoseAlreadyThere) {
  WriteFile(PathFromText(path_), "[setting]\ncount=1\n[List1]\ntitle=loaded\n");
  std::vector<CrawlTarget> rows = {{"mine", "http://m/", "3"}};
  ASSERT_TRUE(LoadListFile(path_, rows));
  ASSERT_TRUE(LoadListFile(path_, rows));  // loading twice adds the rows twice
  EXPECT_EQ(rows, (std::vector<CrawlTarget>{
                      {"mine", "http://m/", "3"}, {"loaded", "", ""}, {"loaded", "", ""}}));
}

TEST_F(LoadListFileTest, ValuesAreCutAt1023BytesWithoutBreakingACharacter) {
  std::string cp932Title;
  for (int i = 0; i < 600; ++i)
    cp932Title += kNihongoCp932.substr(0, 2);  // "日" x 600
  const std::vector<CrawlTarget> rows =
      Load("[setting]\ncount=1\n[List1]\ntitle=" + cp932Title + "\nurl=" + std::string(2000, 'u') +
           "\nlevel=" + std::string(1023, '7') + "\n");
  ASSERT_EQ(rows.size(), 1u);
  std::string expectedTitle;
  for (int i = 0; i < 511; ++i)
    expectedTitle += "日";  // 1022 bytes of the file
  EXPECT_EQ(rows[0].title, expectedTitle);
  EXPECT_EQ(rows[0].url, std::string(1023, 'u'));
  EXPECT_EQ(rows[0].level, std::string(1023, '7'));
}

TEST_F(LoadListFileTest, ACountOf32767WithoutSectionsGivesEmptyRows) {
  const std::vector<CrawlTarget> rows = Load("[setting]\r\ncount=32767\r\n");
  ASSERT_EQ(rows.size(), 32767u);
  EXPECT_EQ(rows.back(), CrawlTarget{});
}

TEST_F(LoadListFileTest, BinaryFileIsSurvived) {
  std::string junk;
  std::uint32_t state = 12345;
  for (int i = 0; i < 1 << 20; ++i) {
    state = state * 1664525u + 1013904223u;
    junk += static_cast<char>(state >> 24);
  }
  junk += std::string("\0\0", 2);
  Load(junk);  // whatever it finds, it must not crash or hang

  // A list hidden among binary lines is still found.
  const std::vector<CrawlTarget> rows =
      Load(junk + "\n[setting]\ncount=1\n[List1]\ntitle=found\x80\n" + junk);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].title, "found\uFFFD");
}

TEST_F(LoadListFileTest, HundredMegabyteFileIsSurvived) {
  std::string big;
  big.reserve(105u << 20);
  big += "[setting]\r\ncount=2\r\n[List1]\r\ntitle=first\r\n";
  const std::string filler = "filler line without an equals sign, only to take room\r\n";
  while (big.size() < (100u << 20))
    big += filler;
  big += "[List2]\r\ntitle=second\r\n";
  big += std::string(1u << 20, 'x');  // and one long line
  EXPECT_EQ(Load(big), (std::vector<CrawlTarget>{{"first", "", ""}, {"second", "", ""}}));
}

}  // namespace
}  // namespace harvel
