#pragma once

#include <string>

namespace harvel {

// The folder of the running program (UTF-8, no trailing separator); harvel,
// harvel-cli and VeskDownloader are installed side by side in it. Needs a
// QCoreApplication.
std::string ProgramFolder();

}  // namespace harvel
