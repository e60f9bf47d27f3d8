#include "cli/stdout_terminal.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include <cstdio>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace harvel {

CliApp::Terminal StdoutTerminal() {
  CliApp::Terminal terminal;
#ifdef _WIN32
  terminal.stdoutIsTerminal = _isatty(_fileno(stdout)) != 0;
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (terminal.stdoutIsTerminal &&
      GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) {
    terminal.columns = info.srWindow.Right - info.srWindow.Left + 1;
  }
#else
  terminal.stdoutIsTerminal = isatty(STDOUT_FILENO) == 1;
  winsize size{};
  if (terminal.stdoutIsTerminal && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 &&
      size.ws_col > 0) {
    terminal.columns = size.ws_col;
  }
#endif
  return terminal;
}

}  // namespace harvel
