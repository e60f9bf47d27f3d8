#pragma once

#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "crawl/crawl_options.h"

namespace harvel {

// The command line as it is read: the command, and whether --help or
// --version was asked for (either wins over the rest).
struct ParsedLine {
  CliCommand command;
  bool help = false;
  bool version = false;
};

// One option of harvel-cli other than the check-box switches (those come
// from kCheckSwitches): a new option is one row of CliOptions().
struct CliOption {
  // Where --help lists it: not at all (the usage lines show it), before the
  // check-box switches, at the place of the check box it mirrors, or after them.
  enum class Listed { No, BeforeCheckBoxes, AtCheckBox, AfterCheckBoxes };

  const char* name;       // "--dir"
  const char* shortName;  // "-q", or nullptr
  const char* valueName;  // "DIR" for `--dir DIR` or `--dir=DIR`; nullptr: takes no value
  Listed listed;
  Check check;  // AtCheckBox: the check box it mirrors
  // Reads the option into `line`: `name` as given, `value` empty for one
  // without value. An empty text, or the usage error's message.
  std::string (*read)(ParsedLine& line, const std::string& name, const std::string& value);
  std::string help;  // the --help words and default; a '\n' starts a continuation line
};

// Every such option, in the order --help lists them.
const std::vector<CliOption>& CliOptions();

}  // namespace harvel
