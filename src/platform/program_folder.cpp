#include "platform/program_folder.h"

#include <QCoreApplication>

namespace harvel {

std::string ProgramFolder() {
  return QCoreApplication::applicationDirPath().toStdString();
}

}  // namespace harvel
