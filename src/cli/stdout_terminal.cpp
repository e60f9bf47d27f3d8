#include "cli/stdout_terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace harvel {
namespace {

// The terminal's columns; 0 when they cannot be told.
int StdoutColumns() {
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0)
    return 0;
  return size.ws_col;
}

}  // namespace

CliApp::Terminal StdoutTerminal() {
  CliApp::Terminal terminal;
  terminal.stdoutIsTerminal = isatty(STDOUT_FILENO) == 1;
  if (terminal.stdoutIsTerminal) {
    if (const int columns = StdoutColumns(); columns > 0)
      terminal.columns = columns;
    // A terminal window may be resized during the crawl.
    terminal.currentColumns = StdoutColumns;
  }
  return terminal;
}

}  // namespace harvel
