#pragma once

#include "cli/cli_app.h"

namespace harvel {

// Whether standard output is a terminal, and how wide it is.
CliApp::Terminal StdoutTerminal();

}  // namespace harvel
