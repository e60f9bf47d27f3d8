#include "list_file/profile_file.h"

#include <gtest/gtest.h>

namespace harvel {
namespace {

TEST(ProfileFileRead, NamesMatchWithoutRegardToCase) {
  const ProfileFile file("[SeTTing]\r\nCOUNT=3\r\n");
  EXPECT_EQ(file.Get("setting", "count"), "3");
  EXPECT_EQ(file.Get("SETTING", "Count"), "3");
  EXPECT_EQ(file.Get("settings", "count"), std::nullopt);
  EXPECT_EQ(file.Get("setting", "coun"), std::nullopt);
}

TEST(ProfileFileRead, SpacesAndOnePairOfQuotesAreDropped) {
  const ProfileFile file(
      "  [ List1 ]  \n"
      "  title  =   spaced out  \n"
      "url=\" kept spaces \"\n"
      "level=\"\"3\"\"\n"
      "empty=\"\"\n"
      "half=\"open\n"
      "inner=a \"b\" c\n"
      "tab=\tx\t\n");
  EXPECT_EQ(file.Get("List1", "title"), "spaced out");
  EXPECT_EQ(file.Get("List1", "url"), " kept spaces ");
  EXPECT_EQ(file.Get("List1", "level"), "\"3\"");
  EXPECT_EQ(file.Get("List1", "empty"), "");
  EXPECT_EQ(file.Get("List1", "half"), "\"open");
  EXPECT_EQ(file.Get("List1", "inner"), "a \"b\" c");
  EXPECT_EQ(file.Get("List1", "tab"), "x");
}

TEST(ProfileFileRead, FirstSectionAndFirstKeyWin) {
  const ProfileFile file(
      "key=before any section\n"
      "[a]\nkey=1\nkey=2\n"
      "[b]\nother=x\n"
      "[A]\nkey=3\nlate=4\n");
  EXPECT_EQ(file.Get("a", "key"), "1");
  EXPECT_EQ(file.Get("a", "late"), std::nullopt);  // only in the second [A]
  EXPECT_EQ(file.Get("b", "other"), "x");
  EXPECT_EQ(file.Get("", "key"), std::nullopt);
}

TEST(ProfileFileRead, OddLinesAreSurvived) {
  const ProfileFile file(
      "[a]\n"
      "no equals sign\n"
      "; comment=not special\n"
      "=no name\n"
      "key=value=with=equals\n"
      "[unclosed\n"
      "key=in unclosed\n"
      "[]\n"
      "key=in nameless\r"
      "[c]junk after\r\n"
      "key=last");
  EXPECT_EQ(file.Get("a", "key"), "value=with=equals");
  EXPECT_EQ(file.Get("a", "no equals sign"), std::nullopt);
  EXPECT_EQ(file.Get("unclosed", "key"), "in unclosed");
  EXPECT_EQ(file.Get("", "key"), "in nameless");
  EXPECT_EQ(file.Get("c", "key"), "last");
}

TEST(ProfileFileRead, Cp932SecondBytesAreNotBrackets) {
  // "ゾ" is 0x83 0x5D: its second byte is "]".
  const ProfileFile cp932("[\x83\x5D]\r\nkey=1\r\n", true);
  EXPECT_EQ(cp932.Get("\x83\x5D", "key"), "1");
  // Nor are they letters to fold: 0x83 0x41 and 0x83 0x61 are different characters.
  const ProfileFile folded("[\x83\x41]\r\nkey=1\r\n", true);
  EXPECT_EQ(folded.Get("\x83\x61", "key"), std::nullopt);
  EXPECT_EQ(folded.Get("\x83\x41", "KEY"), "1");
}

TEST(ProfileFileWrite, NewFileHasTheLayoutAndCrLf) {
  ProfileFile file;
  file.Set("setting", "count", "1");
  file.Set("List1", "title", "t");
  file.Set("List1", "url", "u");
  EXPECT_EQ(file.Text(), "[setting]\r\ncount=1\r\n[List1]\r\ntitle=t\r\nurl=u\r\n");
}

TEST(ProfileFileWrite, ReplacesInPlaceAndKeepsEveryOtherLine) {
  const std::string before =
      "; my list\n"
      "[Setting]\n"
      "  COUNT = 9 \n"
      "extra=kept\n"
      "\n"
      "[List1]\r\n"
      "title=old\r\n";
  ProfileFile file(before);
  file.Set("setting", "count", "2");
  EXPECT_EQ(file.Text(),
            "; my list\n"
            "[Setting]\n"
            "count=2\n"
            "extra=kept\n"
            "\n"
            "[List1]\r\n"
            "title=old\r\n");
  EXPECT_EQ(ProfileFile(before).Text(), before);  // nothing written, nothing changed
}

TEST(ProfileFileWrite, MissingKeyGoesAfterTheLastKeyOfItsSection) {
  ProfileFile file(
      "[a]\n"
      "x=1\n"
      "; trailing comment\n"
      "\n"
      "[b]\n"
      "[A]\n"
      "z=in the second a\n");
  file.Set("A", "y", "2");
  file.Set("b", "w", "3");
  EXPECT_EQ(file.Text(),
            "[a]\n"
            "x=1\n"
            "y=2\r\n"
            "; trailing comment\n"
            "\n"
            "[b]\n"
            "w=3\r\n"
            "[A]\n"
            "z=in the second a\n");
}

TEST(ProfileFileWrite, MissingSectionGoesAtTheEnd) {
  ProfileFile file("[a]\nx=1");  // no line end at the end of the file
  file.Set("b", "y", "2");
  EXPECT_EQ(file.Text(), "[a]\nx=1\r\n[b]\r\ny=2\r\n");

  ProfileFile replaced("[a]\nx=1");
  replaced.Set("a", "x", "5");
  EXPECT_EQ(replaced.Text(), "[a]\nx=5\r\n");
}

TEST(ProfileFileWrite, WrittenValuesReadBackUnchanged) {
  const std::string values[] = {"",     "plain", " leading", "trailing\t", "\"quoted\"", "\"",
                                "\"\"", "a\"b",  "x=y",      "日本語",     "\"open end", "[List1]"};
  ProfileFile file;
  for (const std::string& value : values) {
    file.Set("s", "k", ProfileValueText(value));
    EXPECT_EQ(ProfileFile(file.Text()).Get("s", "k"), value) << value;
  }
  EXPECT_EQ(ProfileValueText("plain"), "plain");
  EXPECT_EQ(ProfileValueText(" x"), "\" x\"");
}

TEST(ProfileFileWrite, LineBreaksCannotBreakTheLayout) {
  ProfileFile file;
  file.Set("s", "k", ProfileValueText("a\r\n[evil]\r\nk=b"));
  file.Set("s", "j", "c\nd");
  const ProfileFile back(file.Text());
  EXPECT_EQ(back.Get("s", "k"), "a  [evil]  k=b");
  EXPECT_EQ(back.Get("s", "j"), "c d");
  EXPECT_EQ(back.Get("evil", "k"), std::nullopt);
}

TEST(ProfileFileWrite, ThousandsOfSections) {
  ProfileFile file;
  for (int i = 1; i <= 30000; ++i) {
    const std::string section = "List" + std::to_string(i);
    file.Set(section, "title", "t");
    file.Set(section, "url", "u");
    file.Set(section, "level", "3");
  }
  const ProfileFile back(file.Text());
  EXPECT_EQ(back.Get("list30000", "LEVEL"), "3");
  EXPECT_EQ(back.Get("List15000", "url"), "u");
}

}  // namespace
}  // namespace harvel
