#include "cli/progress_printer.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "cli/flushing_event_pump.h"
#include "cli/progress_line.h"
#include "cli/terminal_text.h"

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
  printer.loaded();
  printer.captionChanged("巡回中・・・");
  printer.rowInserted(0, {"t", "http://127.0.0.1/a.gif", "0"});
  printer.requestStarted({"http://127.0.0.1/a.gif", "/h/t/a.gif", {}, {}, {}});
  printer.statusTextChanged(1, "ダウンロード中...");
  printer.requestEnded({"http://127.0.0.1/a.gif", "/h/t/a.gif", {}});
  printer.statusTextChanged(2, "two\nlines");
  printer.unloaded();
  EXPECT_EQ(out.str(), "巡回中・・・\nダウンロード中...\ntwo lines\n");
}

RequestRecord Ended(const std::string& name, bool landed) {
  RequestRecord record{"http://127.0.0.1/" + name, "/h/t/" + name, {}};
  record.outcome.landed = landed;
  return record;
}

// Every drawing of the redrawn line, in order.
std::vector<std::string> Drawings(const std::string& out) {
  std::vector<std::string> drawings;
  std::size_t at = 0;
  while ((at = out.find('\r', at)) != std::string::npos) {
    const std::size_t end = out.find("\x1b[K", at);
    drawings.push_back(out.substr(at + 1, end - at - 1));
    at = end;
  }
  return drawings;
}

TEST(ProgressPrinter, TheRedrawnLineAlwaysHoldsTheTotalsAndTheFileUnderWay) {
  std::ostringstream out;
  ProgressPrinter printer(out, ProgressPrinter::Style::RedrawnLine, 200);
  auto now = std::chrono::steady_clock::time_point{};
  printer.setClock([&now] { return now; });
  printer.loaded();
  printer.captionChanged("巡回中・・・");
  for (std::size_t i = 0; i < 4; ++i)
    printer.rowInserted(i, {"t", "u", "0"});
  printer.requestStarted({"http://127.0.0.1/写真.jpg", "/h/t/写真.jpg", {}, {}, {}});
  printer.statusTextChanged(1, "処理中...");
  now += std::chrono::seconds(2);
  printer.requestEnded(Ended("写真.jpg", true));
  printer.rowRemoved(0);
  printer.requestStarted({"http://127.0.0.1/gone.gif", "/h/t/gone.gif", {}, {}, {}});
  printer.requestEnded(Ended("gone.gif", false));
  printer.clearLine();  // a failure line is written on the other stream here
  printer.rowRemoved(0);
  RequestRecord small = Ended("thumb.gif", false);
  small.outcome.tooSmall = PictureSize{120, 90};
  printer.requestEnded(small);
  printer.statusTextChanged(2, "ダウンロード総数:1 (残りの数：2 )");
  printer.unloaded();

  const std::vector<std::string> drawings = Drawings(out.str());
  // A drawing that would show nothing new is left out.
  EXPECT_EQ(drawings, (std::vector<std::string>{
                          "0 fetched, 0 failed, 4 left, 0.0 files/s  写真.jpg",
                          "1 fetched, 0 failed, 4 left, 0.5 files/s",
                          "1 fetched, 0 failed, 3 left, 0.5 files/s  gone.gif",
                          "1 fetched, 1 failed, 3 left, 0.5 files/s",
                          "",  // cleared for the failure line
                          "1 fetched, 1 failed, 1 too small, 2 left, 0.5 files/s",
                      }));
  EXPECT_EQ(out.str().back(), '\n');  // the last totals stay on the screen
}

TEST(ProgressLine, FitsTheTerminalWithWideAndHostileNames) {
  ProgressTotals totals;
  totals.fetched = 12;
  totals.failed = 3;
  totals.otherEnds = {{"already collected", 0}, {"too small", 7}};
  totals.left = 340;
  totals.filesPerSecond = 4.25;
  totals.fileUnderWay =
      "\x1b]0;title\x07\xc2\x9b"
      "2J\xff"
      "写真アルバム-0042.jpg";
  EXPECT_EQ(ProgressLineText(totals, 200),
            "12 fetched, 3 failed, 7 too small, 340 left, 4.2 files/s  "
            " ]0;title  2J?写真アルバム-0042.jpg");
  // Narrower: the totals stay whole, the name keeps its end.
  EXPECT_EQ(ProgressLineText(totals, 74),
            "12 fetched, 3 failed, 7 too small, 340 left, 4.2 files/s  ...バム-0042.jpg");
  for (int columns = 1; columns <= 100; ++columns) {
    const std::string line = ProgressLineText(totals, columns);
    EXPECT_LE(TerminalColumns(line), columns) << line;
    EXPECT_EQ(line, TerminalLine(line));  // whole characters only
  }
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
