#pragma once

#include <string>
#include <variant>
#include <vector>

#include "cli/cli_command.h"

namespace harvel {

// A command line that cannot be carried out; the message names the bad argument.
struct UsageError {
  std::string message;
};

// Reads harvel-cli's arguments (without the program name).
std::variant<CliCommand, UsageError> ParseCommandLine(const std::vector<std::string>& args);

// The text of --help.
std::string UsageText();

}  // namespace harvel
