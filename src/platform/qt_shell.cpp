#include "platform/qt_shell.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QUrl>

namespace harvel {

void QtShell::openFolder(const std::string& folder) {
  openFolderNow(folder);
}

bool QtShell::openFolderNow(const std::string& folder) {
  const QString path = QString::fromStdString(folder);
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
  // Without a GUI application (harvel-cli) the desktop's opener does it.
  return QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}

}  // namespace harvel
