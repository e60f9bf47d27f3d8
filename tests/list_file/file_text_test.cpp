#include "list_file/file_text.h"

#include <gtest/gtest.h>

#include "common/path_text.h"
#include "cp932_texts.h"
#include "list_file/unicode_text.h"
#include "temp_folder.h"

namespace harvel {
namespace {

using test::kNihongoCp932;

TEST(FileText, ByteOrderMarksChooseTheEncoding) {
  std::optional<FileText> text = DecodeFileText("\xEF\xBB\xBF[a]");
  ASSERT_TRUE(text);
  EXPECT_EQ(text->encoding, FileEncoding::kUtf8);
  EXPECT_EQ(text->body, "[a]");

  text = DecodeFileText(std::string("\xFF\xFE[\0a\0]\0\xE5\x65", 10));
  ASSERT_TRUE(text);
  EXPECT_EQ(text->encoding, FileEncoding::kUtf16Le);
  EXPECT_EQ(text->body, "[a]日");

  text = DecodeFileText(std::string("\xFE\xFF\0[\0a\0]\x65\xE5", 10));
  ASSERT_TRUE(text);
  EXPECT_EQ(text->encoding, FileEncoding::kUtf16Be);
  EXPECT_EQ(text->body, "[a]日");

  text = DecodeFileText(std::string(kNihongoCp932));
  ASSERT_TRUE(text);
  EXPECT_EQ(text->encoding, FileEncoding::kCp932);
  EXPECT_EQ(text->body, kNihongoCp932);

  // UTF-32 is never a list file's encoding: its text cannot be read.
  EXPECT_FALSE(DecodeFileText(std::string("\xFF\xFE\0\0[\0\0\0", 8)));
  EXPECT_FALSE(DecodeFileText(std::string("\0\0\xFE\xFF\0\0\0[", 8)));
}

TEST(FileText, Utf16SurrogatesAndBrokenUnits) {
  EXPECT_EQ(Utf16LeToUtf8(std::string("\x3D\xD8\x00\xDE", 4)), "😀");
  EXPECT_EQ(Utf16LeToUtf8(std::string("\x3D\xD8"
                                      "a\0",
                                      4)),
            "\uFFFDa");                                            // lone high surrogate
  EXPECT_EQ(Utf16LeToUtf8(std::string("\x00\xDE", 2)), "\uFFFD");  // lone low surrogate
  EXPECT_EQ(Utf16LeToUtf8(std::string("a\0b", 3)), "a\uFFFD");     // odd last byte

  EXPECT_EQ(Utf16BeToUtf8(std::string("\xD8\x3D\xDE\x00", 4)), "😀");
  EXPECT_EQ(Utf16BeToUtf8(std::string("\xDE\x00", 2)), "\uFFFD");
  EXPECT_EQ(Utf16BeToUtf8(std::string("\0a\0", 3)), "a\uFFFD");
}

TEST(FileText, CutsAtWholeCharactersOfTheFilesEncoding) {
  const std::string cp932 = std::string(kNihongoCp932);  // three characters of 2 bytes
  EXPECT_EQ(CutAtBytes(cp932, FileEncoding::kCp932, 6), cp932);
  EXPECT_EQ(CutAtBytes(cp932, FileEncoding::kCp932, 5), cp932.substr(0, 4));
  EXPECT_EQ(CutAtBytes("a" + cp932, FileEncoding::kCp932, 2), "a");
  EXPECT_EQ(CutAtBytes("abc", FileEncoding::kCp932, 2), "ab");

  EXPECT_EQ(CutAtBytes("日本語", FileEncoding::kUtf8, 8), "日本");
  EXPECT_EQ(CutAtBytes("日本語", FileEncoding::kUtf8, 9), "日本語");
  // In a UTF-16 file "日" takes 2 bytes, "a" 2, "😀" 4.
  EXPECT_EQ(CutAtBytes("日本語", FileEncoding::kUtf16Le, 5), "日本");
  EXPECT_EQ(CutAtBytes("ab😀", FileEncoding::kUtf16Le, 7), "ab");
  EXPECT_EQ(CutAtBytes("ab😀", FileEncoding::kUtf16Le, 8), "ab😀");
}

TEST(FileText, Cp932TextKeepsLinesThatCannotBeRead) {
  EXPECT_EQ(Cp932TextToUtf8(std::string(kNihongoCp932) + "\r\n"), "日本語\r\n");
  EXPECT_EQ(Cp932TextToUtf8(std::string(kNihongoCp932) + "\r\nbad\x80\r\nok\r\n"),
            "日本語\r\nbad\x80\r\nok\r\n");
}

TEST(FileText, ValuesBecomeUtf8) {
  EXPECT_EQ(ValueToUtf8(kNihongoCp932, FileEncoding::kCp932), "日本語");
  EXPECT_EQ(ValueToUtf8("x\x80", FileEncoding::kCp932), "x\uFFFD");
  EXPECT_EQ(ValueToUtf8("x\x80", FileEncoding::kUtf8), "x\uFFFD");
}

}  // namespace
}  // namespace harvel
