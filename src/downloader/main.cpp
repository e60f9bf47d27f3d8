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
    harvel::DownloadServer server(harvel::LimitsFromEnvironment(), harvel::IdleTimeout());
    QObject::connect(&server, &harvel::DownloadServer::closeRequested, &app,
                     &QCoreApplication::quit);
    QObject::connect(&server, &harvel::DownloadServer::idle, &app, &QCoreApplication::quit);
    QString error;
    if (server.listen(error)) {
      status = app.exec();
      // For benchmarks: how many staged copies were of use.
      if (const QByteArray counts = qgetenv("VESKDOWNLOADER_STAGING_COUNTS"); !counts.isEmpty()) {
        if (std::FILE* file = std::fopen(counts.constData(), "a")) {
          std::fprintf(file, "staged %zu unused %zu\n", server.staged().copiesStaged(),
                       server.staged().copiesUnused());
          std::fclose(file);
        }
      }
    } else {
      std::fprintf(stderr, "VeskDownloader: %s\n", qUtf8Printable(error));
    }
  }
  curl_global_cleanup();
  return status;
}
