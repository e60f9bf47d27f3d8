#include <gtest/gtest.h>

#include "common/path_text.h"
#include "cp932_texts.h"
#include "list_file/list_file.h"
#include "list_file_fixture.h"
#include "temp_folder.h"

namespace harvel {
namespace {

using test::kNihongoCp932;
using test::ReadFile;
using test::WriteFile;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// `utf8` (ASCII and "日" only) as UTF-16LE with its byte-order mark.
std::string Utf16Le(std::string_view ascii) {
  std::string bytes = "\xFF\xFE";
  for (char c : ascii) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

// The same as UTF-16BE.
std::string Utf16Be(std::string_view ascii) {
  std::string bytes = "\xFE\xFF";
  for (char c : ascii) {
    bytes += '\0';
    bytes += c;
  }
  return bytes;
}

using ListFileEncodingTest = test::ListFileTest;

TEST_F(ListFileEncodingTest, Utf8ByteOrderMarkIsReadAsUtf8) {
  WriteFile(PathFromText(path_),
            std::string(kUtf8Mark) + "[setting]\r\ncount=1\r\n[List1]\r\ntitle=한국어 😀\r\n");
  EXPECT_EQ(LoadBack(), (std::vector<CrawlTarget>{{"한국어 😀", "", ""}}));
}

TEST_F(ListFileEncodingTest, Utf16ByteOrderMarkIsReadAsUtf16) {
  std::string file = Utf16Le("[setting]\r\ncount=1\r\n[List1]\r\ntitle=");
  file += std::string("\xE5\x65\x3D\xD8\x00\xDE", 6);  // "日😀"
  file += Utf16Le("\r\nurl=http://x/\r\n").substr(2);
  WriteFile(PathFromText(path_), file);
  EXPECT_EQ(LoadBack(), (std::vector<CrawlTarget>{{"日😀", "http://x/", ""}}));
}

TEST_F(ListFileEncodingTest, BigEndianUtf16IsReadAndSavedInCodePage932) {
  std::string file = Utf16Be("[setting]\r\ncount=2\r\n[List1]\r\ntitle=");
  file += std::string("\x65\xE5\xD8\x3D\xDE\x00", 6);  // "日😀"
  file += Utf16Be("\r\nurl=http://x/\r\nlevel=2\r\n[List2]\r\ntitle=b\r\n").substr(2);
  WriteFile(PathFromText(path_), file);
  EXPECT_EQ(LoadBack(),
            (std::vector<CrawlTarget>{{"日😀", "http://x/", "2"}, {"b", "http://x/", "2"}}));

  WriteFile(PathFromText(path_), Utf16Be("[setting]\r\ncount=5\r\n[other]\r\nx=1\r\n"));
  ASSERT_TRUE(SaveListFile(path_, {{"日本語", "u", "1"}}));
  EXPECT_EQ(ReadFile(PathFromText(path_)),
            "[setting]\r\ncount=1\r\n[other]\r\nx=1\r\n[List1]\r\ntitle=" +
                std::string(kNihongoCp932) + "\r\nurl=u\r\nlevel=1\r\n");
}

TEST_F(ListFileEncodingTest, AUtf32FileIsReportedUnreadableAndKept) {
  const std::string file("\xFF\xFE\0\0[\0\0\0s\0\0\0]\0\0\0", 16);
  WriteFile(PathFromText(path_), file);
  std::vector<CrawlTarget> rows{{"kept", "u", "1"}};
  EXPECT_FALSE(LoadListFile(path_, rows));
  EXPECT_EQ(rows, (std::vector<CrawlTarget>{{"kept", "u", "1"}}));
  EXPECT_FALSE(SaveListFile(path_, rows));  // its lines could not be kept
  EXPECT_EQ(ReadFile(PathFromText(path_)), file);
}

TEST_F(ListFileEncodingTest, CutsCountBytesOfTheFilesOwnEncoding) {
  std::string title;
  for (int i = 0; i < 400; ++i)
    title += "日";  // 1200 bytes of UTF-8, 800 of UTF-16
  WriteFile(PathFromText(path_),
            std::string(kUtf8Mark) + "[setting]\ncount=1\n[List1]\ntitle=" + title + "\n");
  std::string cut;
  for (int i = 0; i < 341; ++i)
    cut += "日";  // 1023 bytes
  EXPECT_EQ(LoadBack().at(0).title, cut);
}

TEST_F(ListFileEncodingTest, TextsOutsideCodePage932AreSavedAsUtf8WithAMark) {
  const std::vector<CrawlTarget> rows = {{"日本語", "http://x/", "1"},
                                         {"〜 wave dash, 한국어, 😀", "http://y/", "2"}};
  ASSERT_TRUE(SaveListFile(path_, rows));
  EXPECT_EQ(ReadFile(PathFromText(path_)),
            std::string(kUtf8Mark) +
                "[setting]\r\ncount=2\r\n[List1]\r\ntitle=日本語\r\nurl=http://x/\r\nlevel=1\r\n"
                "[List2]\r\ntitle=〜 wave dash, 한국어, 😀\r\nurl=http://y/\r\nlevel=2\r\n");
  EXPECT_EQ(LoadBack(), rows);
}

TEST_F(ListFileEncodingTest, ACodePage932FileTurnsUtf8WhenATitleDoesNotFit) {
  WriteFile(PathFromText(path_), "; " + std::string(kNihongoCp932) + "\r\n; bad byte \x80\r\n");
  ASSERT_TRUE(SaveListFile(path_, {{"😀", "u", "1"}}));
  // The Japanese comment is converted; the line that was never valid keeps its bytes.
  EXPECT_EQ(ReadFile(PathFromText(path_)),
            std::string(kUtf8Mark) +
                "; 日本語\r\n; bad byte \x80\r\n"
                "[setting]\r\ncount=1\r\n[List1]\r\ntitle=😀\r\nurl=u\r\nlevel=1\r\n");
}

TEST_F(ListFileEncodingTest, AUtf8FileTurnsCodePage932WhenEverythingFits) {
  WriteFile(PathFromText(path_), std::string(kUtf8Mark) + "; 日本語\r\n");
  ASSERT_TRUE(SaveListFile(path_, {{"a", "u", "1"}}));
  EXPECT_EQ(ReadFile(PathFromText(path_)),
            "; " + std::string(kNihongoCp932) +
                "\r\n[setting]\r\ncount=1\r\n[List1]\r\ntitle=a\r\nurl=u\r\nlevel=1\r\n");
}

TEST_F(ListFileEncodingTest, AUtf8FileStaysUtf8WhenItsOtherLinesDoNotFit) {
  WriteFile(PathFromText(path_), std::string(kUtf8Mark) + "; 한국어\r\n");
  ASSERT_TRUE(SaveListFile(path_, {{"日本語", "u", "1"}}));
  EXPECT_EQ(ReadFile(PathFromText(path_)),
            std::string(kUtf8Mark) +
                "; 한국어\r\n[setting]\r\ncount=1\r\n[List1]\r\ntitle=日本語\r\n"
                "url=u\r\nlevel=1\r\n");
}

TEST_F(ListFileEncodingTest, AUtf16FileIsSavedInCodePage932) {
  WriteFile(PathFromText(path_), Utf16Le("[setting]\r\ncount=5\r\n[other]\r\nx=1\r\n"));
  ASSERT_TRUE(SaveListFile(path_, {{"日本語", "u", "1"}}));
  EXPECT_EQ(ReadFile(PathFromText(path_)),
            "[setting]\r\ncount=1\r\n[other]\r\nx=1\r\n[List1]\r\ntitle=" +
                std::string(kNihongoCp932) + "\r\nurl=u\r\nlevel=1\r\n");
}

}  // namespace
}  // namespace harvel
