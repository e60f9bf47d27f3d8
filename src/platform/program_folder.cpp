#include "platform/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#ifndef HARVEL_DOWNLOADER_FROM_BIN
#define HARVEL_DOWNLOADER_FROM_BIN "../libexec/harvel"
#endif

namespace harvel {
namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

bool HoldsDownloader(const QString& folder) {
  const QFileInfo program(Q(DownloaderProgramIn(folder.toStdString())));
  return program.isFile() && program.isExecutable();
}

// Whether a file can be made in `folder`: tried, since permission bits do not
// tell (a read-only mount, a superuser, access lists).
bool CanMakeFilesIn(const QString& folder) {
  if (!QFileInfo(folder).isDir())
    return false;
  QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".harvel-write-check-XXXXXX")));
  return probe.open();
}

QString InstalledDownloaderFolder(const QString& programFolder) {
  return QDir::cleanPath(QDir(programFolder).filePath(QStringLiteral(HARVEL_DOWNLOADER_FROM_BIN)));
}

// Installed: VeskDownloader is not beside the program but in the libexec folder.
bool IsInstalled(const QString& programFolder) {
  return !HoldsDownloader(programFolder) &&
         HoldsDownloader(InstalledDownloaderFolder(programFolder));
}

}  // namespace

std::string DownloaderProgramIn(const std::string& folder) {
  return QDir(Q(folder)).filePath(QStringLiteral("VeskDownloader")).toStdString();
}

std::string ProgramFolder() {
  return QCoreApplication::applicationDirPath().toStdString();
}

std::string DownloaderFolder(const std::string& programFolder) {
  const QString own = Q(programFolder);
  if (IsInstalled(own))
    return InstalledDownloaderFolder(own).toStdString();
  return programFolder;
}

std::string HarvelFolder(const std::string& programFolder, const std::string& picturesFolder) {
  // An installed bin folder may well be writable (a superuser, a prefix in the
  // home folder), but it is no place for pictures.
  const QString own = Q(programFolder);
  if (!IsInstalled(own) && CanMakeFilesIn(own))
    return programFolder;
  return QDir::cleanPath(QDir(Q(picturesFolder)).filePath(QStringLiteral("Harvel"))).toStdString();
}

std::string HarvelFolder(const std::string& programFolder) {
  QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (pictures.isEmpty())
    pictures = QDir::home().filePath(QStringLiteral("Pictures"));
  return HarvelFolder(programFolder, pictures.toStdString());
}

bool MakeFolder(const std::string& folder) {
  return QDir().mkpath(Q(folder));
}

}  // namespace harvel
