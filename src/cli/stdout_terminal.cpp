#include "cli/stdout_terminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace harvel {

CliApp::Terminal StdoutTerminal() {
  CliApp::Terminal terminal;
  terminal.stdoutIsTerminal = isatty(STDOUT_FILENO) == 1;
  winsize size{};
  if (terminal.stdoutIsTerminal && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 &&
      size.ws_col > 0) {
    terminal.columns = size.ws_col;
  }
  return terminal;
}

}  // namespace harvel
