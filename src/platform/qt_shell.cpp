#include "platform/qt_shell.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QUrl>

namespace harvel {

void QtShell::openFolder(const std::string& folder) {
  const QString path = QString::fromStdString(folder);
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    return;
  }
#if defined(Q_OS_WIN)
  QProcess::startDetached(QStringLiteral("explorer"), {path});
#elif defined(Q_OS_MACOS)
  QProcess::startDetached(QStringLiteral("open"), {path});
#else
  QProcess::startDetached(QStringLiteral("xdg-open"), {path});
#endif
}

}  // namespace harvel
