#include "cli/progress_printer.h"

#include <gtest/gtest.h>

#include <sstream>

namespace harvel {
namespace {

TEST(ProgressPrinter, OneLinePerStatusTextAndCaptionForPipes) {
  std::ostringstream out;
  ProgressPrinter printer(out, ProgressPrinter::Style::Lines);
  printer.captionChanged("巡回中・・・");
  printer.statusTextChanged(1, "ダウンロード中...");
  printer.statusTextChanged(2, "two\nlines");
  printer.unloaded();
  EXPECT_EQ(out.str(), "巡回中・・・\nダウンロード中...\ntwo lines\n");
}

TEST(ProgressPrinter, ARedrawnLineOnATerminal) {
  std::ostringstream out;
  ProgressPrinter printer(out, ProgressPrinter::Style::RedrawnLine, 12);
  printer.statusTextChanged(1, "abc");
  printer.statusTextChanged(1, "ダウンロード中...");  // two columns each: 5 fit in 11
  printer.unloaded();
  EXPECT_EQ(out.str(), "\rabc\x1b[K\rダウンロー\x1b[K\n");
}

}  // namespace
}  // namespace harvel
