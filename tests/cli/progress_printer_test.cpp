#include "cli/progress_printer.h"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/flushing_event_pump.h"

namespace harvel {
namespace {

// Counts how often the stream is asked to write out what it holds.
class CountingBuffer : public std::stringbuf {
 public:
  int syncs = 0;

 protected:
  int sync() override {
    ++syncs;
    return std::stringbuf::sync();
  }
};

class CountingPump : public EventPump {
 public:
  void processPendingEvents() override { ++passes; }
  void waitForEvents(std::chrono::milliseconds) override { ++waits; }
  int passes = 0;
  int waits = 0;
};

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

TEST(ProgressPrinter, WritesOutBeforeTheCrawlWaitsAndAtTheEndNotLineByLine) {
  for (const auto style : {ProgressPrinter::Style::Lines, ProgressPrinter::Style::RedrawnLine}) {
    CountingBuffer buffer;
    std::ostream out(&buffer);
    ProgressPrinter printer(out, style);
    CountingPump inner;
    FlushingEventPump pump(inner, out);
    printer.statusTextChanged(1, "a");
    printer.statusTextChanged(2, "b");
    pump.processPendingEvents();
    EXPECT_EQ(buffer.syncs, 0);
    EXPECT_EQ(inner.passes, 1);
    pump.waitForEvents(std::chrono::milliseconds(10));
    EXPECT_EQ(buffer.syncs, 1);
    EXPECT_EQ(inner.waits, 1);
    printer.unloaded();
    EXPECT_EQ(buffer.syncs, 2);
  }
}

}  // namespace
}  // namespace harvel
