// harvel: the desktop program.
#include <QApplication>

#include "app/desktop_program.h"
#include "platform/program_folder.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  harvel::DesktopProgram program(harvel::ProgramFolder());
  program.start();
  return app.exec();
}
