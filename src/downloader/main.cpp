#include <curl/curl.h>

#include <QCoreApplication>
#include <csignal>
#include <cstdio>

#include "downloader/download_limits.h"
#include "downloader/download_server.h"
#include "downloader/start_check.h"

int main(int argc, char** argv) {
  if (!harvel::IsWakeCommandLine(argc, argv))
    return harvel::RefuseToStart(argc, argv);

#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);  // a client that hung up must not end the program
#endif
  curl_global_init(CURL_GLOBAL_DEFAULT);
  int status = 1;
  {
    // Qt's own event dispatcher: a pass of the event loop costs less than with
    // GLib's, and every request takes a few.
    qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    harvel::DownloadServer server(harvel::LimitsFromEnvironment());
    QObject::connect(&server, &harvel::DownloadServer::closeRequested, &app,
                     &QCoreApplication::quit);
    QString error;
    if (server.listen(error)) {
      status = app.exec();
    } else {
      std::fprintf(stderr, "VeskDownloader: %s\n", qUtf8Printable(error));
    }
  }
  curl_global_cleanup();
  return status;
}
