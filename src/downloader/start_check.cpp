#include "downloader/start_check.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstring>

namespace harvel {
namespace {

constexpr const char* kRefusalText = "Harvel.exeから起動してください";

bool HasDisplay() {
  const bool desktop =
      !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (platform.startsWith("offscreen") || platform.startsWith("minimal"))
    return false;
  return desktop;
}

}  // namespace

std::chrono::milliseconds IdleTimeout() {
  bool ok = false;
  const int ms = qEnvironmentVariableIntValue("VESKDOWNLOADER_IDLE_MS", &ok);
  if (ok && ms > 0)
    return std::chrono::milliseconds(ms);
  return std::chrono::seconds(60);
}

bool IsWakeCommandLine(int argc, char** argv) {
  return argc == 2 && std::strcmp(argv[1], "wake") == 0;
}

int RefuseToStart(int argc, char** argv) {
  if (!HasDisplay()) {
    std::fprintf(stderr, "%s\n", kRefusalText);
    return 1;
  }
  QApplication app(argc, argv);
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("VeskDownloader"),
                  QString::fromUtf8(kRefusalText), QMessageBox::Ok);
  box.exec();
  return 1;
}

}  // namespace harvel
