#include "cli/progress_printer.h"

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

// Cuts UTF-8 text to about `columns` columns; characters outside ASCII are
// counted as two (Japanese texts are mostly wide).
std::string CutToColumns(const std::string& text, int columns) {
  int used = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : 2;
    const int wide = lead < 0x80 ? 1 : 2;
    if (used + wide > columns)
      break;
    used += wide;
    i += length;
  }
  return text.substr(0, std::min(i, text.size()));
}

}  // namespace

ProgressPrinter::ProgressPrinter(std::ostream& out, Style style, int width, bool verbose)
    : out_(out), style_(style), width_(width > 1 ? width : 80), verbose_(verbose) {}

void ProgressPrinter::statusTextChanged(int, const std::string& text) {
  show(text);
}

void ProgressPrinter::captionChanged(const std::string& text) {
  show(text);
}

void ProgressPrinter::requestEnded(const RequestRecord& record) {
  if (!verbose_)
    return;
  if (style_ == Style::RedrawnLine)
    out_ << (lineOpen_ ? "\r\x1b[K" : "");
  lineOpen_ = false;
  out_ << SingleLine(RequestRecordText(record)) << '\n';
}

void ProgressPrinter::unloaded() {
  endLine();
}

void ProgressPrinter::endLine() {
  if (style_ == Style::RedrawnLine && lineOpen_) {
    out_ << '\n';
    lineOpen_ = false;
  }
  out_ << std::flush;
}

// Not flushed line by line: the crawl's pump writes everything out before it
// waits (FlushingEventPump), and unloaded() at the end.
void ProgressPrinter::show(const std::string& text) {
  if (style_ == Style::Lines) {
    out_ << SingleLine(text) << '\n';
    return;
  }
  out_ << '\r' << CutToColumns(SingleLine(text), width_ - 1) << "\x1b[K";
  lineOpen_ = true;
}

}  // namespace harvel
