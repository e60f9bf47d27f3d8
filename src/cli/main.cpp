#include <sys/ioctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "platform/program_folder.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::signal(SIGPIPE, SIG_IGN);  // a downloader that is gone must not end us
  // Qt's own event dispatcher: a pass of the event loop costs less than with
  // GLib's, and a crawl makes one at every pacing step. Only for this program:
  // the ones it starts get the environment as it was.
  const bool noGlibWasSet = std::getenv("QT_NO_GLIB") != nullptr;
  setenv("QT_NO_GLIB", "1", 1);
  QCoreApplication app(argc, argv);
  if (!noGlibWasSet)
    unsetenv("QT_NO_GLIB");

  harvel::CliApp::Terminal terminal;
  terminal.stdoutIsTerminal = isatty(STDOUT_FILENO) == 1;
  winsize size{};
  if (terminal.stdoutIsTerminal && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 &&
      size.ws_col > 0) {
    terminal.columns = size.ws_col;
  }
  harvel::CliApp cli(std::cout, std::cerr, terminal, harvel::ProgramFolder());
  return cli.run(args);
}
