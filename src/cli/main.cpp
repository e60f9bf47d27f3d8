#include <QCoreApplication>
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/stdout_terminal.h"
#include "platform/program_folder.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);  // a downloader that is gone must not end us
#endif
  // Qt's own event dispatcher: a pass of the event loop costs less than with
  // GLib's, and a crawl makes one at every pacing step. Only for this program:
  // the ones it starts get the environment as it was.
  const bool noGlibWasSet = qEnvironmentVariableIsSet("QT_NO_GLIB");
  qputenv("QT_NO_GLIB", "1");
  QCoreApplication app(argc, argv);
  if (!noGlibWasSet)
    qunsetenv("QT_NO_GLIB");

  harvel::CliApp cli(std::cout, std::cerr, harvel::StdoutTerminal(),
                     harvel::DownloaderFolder(harvel::ProgramFolder()));
  return cli.run(args);
}
