#include "cli/progress_printer.h"

#include <algorithm>

#include "cli/terminal_text.h"

namespace harvel {
namespace {

// One line, whatever the text holds: no control character (a line break, an
// escape sequence from a hostile URL) reaches the terminal.
std::string SingleLine(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
      c = ' ';
  }
  return text;
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The rate is taken over at least this long, so the first file does not show
// as hundreds a second.
constexpr double kLeastSeconds = 1.0;

}  // namespace

ProgressPrinter::ProgressPrinter(std::ostream& out, Style style, int width, bool verbose)
    : out_(out), style_(style), width_(width > 1 ? width : 80), verbose_(verbose) {}

void ProgressPrinter::rowInserted(std::size_t, const CrawlTarget&) {
  ++totals_.left;
}

void ProgressPrinter::rowRemoved(std::size_t) {
  totals_.left = std::max<std::int64_t>(0, totals_.left - 1);
}

void ProgressPrinter::statusTextChanged(int, const std::string& text) {
  if (style_ == Style::Lines) {
    out_ << SingleLine(text) << '\n';
    return;
  }
  redraw();  // the totals stay on the line instead of the text
}

void ProgressPrinter::captionChanged(const std::string& text) {
  if (style_ == Style::Lines)
    out_ << SingleLine(text) << '\n';
}

void ProgressPrinter::requestStarted(const FileRequest& request) {
  totals_.fileUnderWay = BaseName(request.path);
  if (style_ == Style::RedrawnLine)
    redraw();
}

void ProgressPrinter::countOtherEnd(const std::string& name) {
  for (auto& [end, count] : totals_.otherEnds) {
    if (end == name) {
      ++count;
      return;
    }
  }
  // In the order of the summary line, whichever came first.
  static const std::string kOrder[] = {"already collected", "too small", "robots"};
  const auto rank = [](const std::string& end) {
    return std::find(std::begin(kOrder), std::end(kOrder), end) - std::begin(kOrder);
  };
  auto& ends = totals_.otherEnds;
  const auto at = std::find_if(ends.begin(), ends.end(),
                               [&](const auto& end) { return rank(end.first) > rank(name); });
  ends.emplace(at, name, 1);
}

void ProgressPrinter::requestEnded(const RequestRecord& record) {
  // Further ends of a request are counted here into totals_.otherEnds.
  if (record.outcome.landed) {
    ++totals_.fetched;
  } else if (record.outcome.alreadyCollected) {
    countOtherEnd("already collected");
  } else if (record.outcome.tooSmall) {
    countOtherEnd("too small");
  } else if (record.outcome.robotsExcluded) {
    countOtherEnd("robots");
  } else if (record.outcome.failed()) {
    ++totals_.failed;
  }
  totals_.fileUnderWay.clear();
  if (verbose_) {
    if (style_ == Style::RedrawnLine)
      out_ << (lineOpen_ ? "\r\x1b[K" : "");
    lineOpen_ = false;
    out_ << SingleLine(RequestRecordText(record)) << '\n';
  }
  if (style_ == Style::RedrawnLine)
    redraw();
}

void ProgressPrinter::rowRefused(const std::string& url, const std::string& why) {
  if (!verbose_)
    return;
  if (style_ == Style::RedrawnLine)
    out_ << (lineOpen_ ? "\r\x1b[K" : "");
  lineOpen_ = false;
  out_ << SingleLine(url + ": left out, " + why) << '\n';
  if (style_ == Style::RedrawnLine)
    redraw();
}

void ProgressPrinter::loaded() {
  totals_.left = 0;
  totals_.fileUnderWay.clear();
  if (!startedAt_)
    startedAt_ = clock_();
}

void ProgressPrinter::unloaded() {
  totals_.fileUnderWay.clear();
  if (style_ == Style::RedrawnLine && drawnSinceEnd_)
    redraw();  // the crawl's last totals stay on the screen, also after a failure line
  endLine();
}

void ProgressPrinter::clearLine() {
  if (style_ == Style::RedrawnLine && lineOpen_) {
    out_ << "\r\x1b[K";
    lineOpen_ = false;
  }
  out_ << std::flush;
}

void ProgressPrinter::endLine() {
  if (style_ == Style::RedrawnLine && lineOpen_) {
    out_ << '\n';
    lineOpen_ = false;
  }
  drawnSinceEnd_ = false;
  out_ << std::flush;
}

// Not flushed line by line: the crawl's pump writes everything out before it
// waits (FlushingEventPump), and unloaded() at the end.
void ProgressPrinter::redraw() {
  if (columns_) {
    const int now = columns_();
    if (now > 1)
      width_ = now;
  }
  if (startedAt_) {
    const double seconds = std::chrono::duration<double>(clock_() - *startedAt_).count();
    totals_.filesPerSecond =
        static_cast<double>(totals_.fetched) / std::max(seconds, kLeastSeconds);
  }
  // The last column is left free: a line that fills it wraps on some terminals.
  std::string line = ProgressLineText(totals_, width_ - 1);
  if (lineOpen_ && line == shown_)
    return;
  out_ << '\r' << line << "\x1b[K";
  shown_ = std::move(line);
  lineOpen_ = true;
  drawnSinceEnd_ = true;
}

}  // namespace harvel
