#include "crawl/page_lines.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "temp_folder.h"

namespace harvel {
namespace {

struct Read {
  PageRead end;
  std::string text;
  int paced;
};

Read ReadBytes(const std::string& bytes) {
  test::TempFolder folder;
  Read read{PageRead::Read, "", 0};
  read.end = ReadPage(folder.write("page.html", bytes), read.text, [&] {
    ++read.paced;
    return true;
  });
  return read;
}

std::string Lines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i)
    text += "line\r\n";
  return text;
}

TEST(ReadPage, EndsLinesAtCrOrCrLfOnly) {
  const Read read = ReadBytes("a\r\nb\rc\nd\r\n\r\ne");
  EXPECT_EQ(read.end, PageRead::Read);
  EXPECT_EQ(read.text, "\r\na\r\nb\r\nc\nd\r\n\r\ne");
  EXPECT_EQ(read.paced, 5);  // a, b, c\nd, the empty line, e
  EXPECT_EQ(ReadBytes("").text, "");
  EXPECT_EQ(ReadBytes("\r").text, "\r\n");
  EXPECT_EQ(ReadBytes("x\n").text, "\r\nx\n");
}

TEST(ReadPage, KeepsCrLfTogetherAcrossTheBlocksItReadsIn) {
  std::string bytes(65535, 'x');
  bytes += "\r\nnext";
  const Read read = ReadBytes(bytes);
  EXPECT_EQ(read.paced, 2);
  EXPECT_EQ(read.text, "\r\n" + std::string(65535, 'x') + "\r\nnext");
}

TEST(ReadPage, ReadsAtMost999Lines) {
  const Read full = ReadBytes(Lines(999));
  EXPECT_EQ(full.end, PageRead::Read);
  EXPECT_EQ(full.paced, 999);
  EXPECT_EQ(full.text.size(), 999u * 6);
  EXPECT_EQ(ReadBytes(Lines(1000)).end, PageRead::TooLong);
  EXPECT_EQ(ReadBytes(Lines(999) + "no line break").end, PageRead::TooLong);
  // Lone LFs do not count as line ends.
  std::string lf;
  for (int i = 0; i < 5000; ++i)
    lf += "line\n";
  EXPECT_EQ(ReadBytes(lf).end, PageRead::Read);
}

TEST(ReadPage, StopsWhenAskedAndReadsOnlyOrdinaryFiles) {
  test::TempFolder folder;
  std::string text;
  int paced = 0;
  const std::string path = folder.write("page.html", Lines(10));
  EXPECT_EQ(ReadPage(path, text, [&] { return ++paced < 3; }), PageRead::Stopped);
  EXPECT_EQ(paced, 3);
  EXPECT_EQ(ReadPage(folder.text() + "/none.html", text, [] { return true; }),
            PageRead::Unreadable);
  const std::string pipe = folder.text() + "/pipe.html";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(ReadPage(pipe, text, [] { return true; }), PageRead::Unreadable);
}

}  // namespace
}  // namespace harvel
