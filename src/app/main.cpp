// harvel: the desktop program.
#include <QApplication>
#include <string>
#include <utility>

#include "app/desktop_program.h"
#include "platform/program_folder.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QGuiApplication::setDesktopFileName(QStringLiteral("org.example.harvel"));
  const std::string programFolder = harvel::ProgramFolder();
  harvel::DesktopOverrides folders;
  folders.programFolder = harvel::DownloaderFolder(programFolder);
  harvel::DesktopProgram program(harvel::HarvelFolder(programFolder), std::move(folders));
  program.start();
  return app.exec();
}
