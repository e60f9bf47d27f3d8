#include "cli/command_line.h"

#include <map>
#include <optional>

#include "cli/check_switches.h"
#include "cli/cli_options.h"

namespace harvel {
namespace {

constexpr const char* kDefaultLevel = "3";
constexpr std::size_t kFlagColumn = 35;  // where the words of a --help line begin

// --gif / --no-gif and the like: each mirrors one check box.
const std::map<std::string, Check>& SwitchFlags() {
  static const std::map<std::string, Check> flags = [] {
    std::map<std::string, Check> table;
    for (const CheckSwitch& option : kCheckSwitches) {
      if (option.flag)
        table.emplace(option.flag, option.check);
    }
    return table;
  }();
  return flags;
}

// One --help line: the flags in a column, then the words; a '\n' in the words
// starts a continuation line.
std::string HelpLine(std::string flags, std::string words) {
  flags.append(flags.size() < kFlagColumn ? kFlagColumn - flags.size() : 2, ' ');
  const std::string continuation(2 + kFlagColumn, ' ');
  for (std::size_t at = words.find('\n'); at != std::string::npos; at = words.find('\n', at + 1))
    words.insert(at + 1, continuation);
  return "  " + flags + words + "\n";
}

std::string HelpLine(const CliOption& option) {
  std::string flags = option.name;
  if (option.valueName)
    flags += std::string(" ") + option.valueName;
  return HelpLine(std::move(flags), option.help);
}

// The option lines of --help: those before the check boxes, each check box's
// switch or the option that mirrors it, in the window's order, then the rest.
std::string OptionsHelp() {
  std::string text;
  for (const CliOption& option : CliOptions()) {
    if (option.listed == CliOption::Listed::BeforeCheckBoxes)
      text += HelpLine(option);
  }
  for (const CheckOption& check : kCheckOptions) {
    const CheckSwitch& flag = SwitchOf(check.check);
    if (flag.flag) {
      text += HelpLine(std::string("--") + flag.flag + ", --no-" + flag.flag,
                       std::string(flag.help) + (check.onByDefault ? " [on]" : " [off]"));
    }
    for (const CliOption& option : CliOptions()) {
      if (option.listed == CliOption::Listed::AtCheckBox && option.check == check.check)
        text += HelpLine(option);
    }
  }
  for (const CliOption& option : CliOptions()) {
    if (option.listed == CliOption::Listed::AfterCheckBoxes)
      text += HelpLine(option);
  }
  return text;
}

const CliOption* FindOption(const std::string& name) {
  for (const CliOption& option : CliOptions()) {
    if (name == option.name || (option.shortName && name == option.shortName))
      return &option;
  }
  return nullptr;
}

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& args) : args_(args) {}

  std::variant<CliCommand, UsageError> parse() {
    line_.command.options.set(Check::FolderOpen, false);
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (index_ = 0; index_ < args_.size() && !failed(); ++index_) {
      const std::string& arg = args_[index_];
      if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
        positional.push_back(arg);
      } else if (arg == "--") {
        optionsEnded = true;
      } else {
        option(arg);
      }
    }
    if (failed())
      return *error_;
    CliCommand& command = line_.command;
    if (line_.help)
      command.mode = CliMode::Help;
    if (line_.version && !line_.help)
      command.mode = CliMode::Version;
    if (line_.help || line_.version)
      return command;
    targets(positional);
    if (failed())
      return *error_;
    return command;
  }

 private:
  bool failed() const { return error_.has_value(); }
  void fail(std::string message) {
    if (!error_)
      error_ = UsageError{std::move(message)};
  }

  // The value of `--name VALUE` or `--name=VALUE`.
  std::optional<std::string> value(const std::string& name,
                                   const std::optional<std::string>& inline_) {
    if (inline_)
      return inline_;
    if (index_ + 1 >= args_.size()) {
      fail(name + " needs a value");
      return std::nullopt;
    }
    return args_[++index_];
  }

  void option(const std::string& arg) {
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const std::optional<std::string> inline_ =
        equals == std::string::npos ? std::nullopt : std::optional(arg.substr(equals + 1));
    const CliOption* option = FindOption(name);
    const bool takesValue = option != nullptr && option->valueName != nullptr;
    if (inline_ && !takesValue)
      return fail("option '" + name + "' takes no value: '" + arg + "'");
    if (option == nullptr) {
      if (!switchFlag(name))
        fail("unknown option '" + arg + "'");
      return;
    }
    std::string text;
    if (takesValue) {
      const std::optional<std::string> given = value(name, inline_);
      if (!given)
        return;
      text = *given;
    }
    if (std::string message = option->read(line_, name, text); !message.empty())
      fail(std::move(message));
  }

  bool switchFlag(const std::string& name) {
    if (name.rfind("--", 0) != 0)
      return false;
    std::string flag = name.substr(2);
    bool on = true;
    if (flag.rfind("no-", 0) == 0) {
      flag = flag.substr(3);
      on = false;
    }
    const auto found = SwitchFlags().find(flag);
    if (found == SwitchFlags().end())
      return false;
    line_.command.options.set(found->second, on);
    return true;
  }

  void targets(const std::vector<std::string>& positional) {
    CliCommand& command = line_.command;
    if (command.mode != CliMode::Crawl) {
      if (!positional.empty()) {
        fail("unexpected argument '" + positional.front() + "' after " +
             (command.mode == CliMode::Forget ? "--forget TITLE" : "a list file"));
      } else if (command.row && command.mode != CliMode::List) {
        fail("--row needs --list FILE");
      }
      return;
    }
    if (command.row)
      return fail("--row needs --list FILE");
    if (positional.empty())
      return fail("missing TITLE and URL");
    if (positional.size() == 1)
      return fail("missing URL after the title '" + positional[0] + "'");
    if (positional.size() > 3)
      return fail("unexpected argument '" + positional[3] + "'");
    command.target.title = positional[0];
    command.target.url = positional[1];
    command.target.level = positional.size() == 3 ? positional[2] : kDefaultLevel;
  }

  const std::vector<std::string>& args_;
  std::size_t index_ = 0;
  ParsedLine line_;
  std::optional<UsageError> error_;
};

}  // namespace

std::variant<CliCommand, UsageError> ParseCommandLine(const std::vector<std::string>& args) {
  return Parser(args).parse();
}

std::string UsageText() {
  return R"(Usage:
  harvel-cli [OPTIONS] TITLE URL [LEVEL]      crawl one target (LEVEL defaults to 3)
  harvel-cli [OPTIONS] --list FILE [--row N]  crawl the rows of a list file in order, or row N
  harvel-cli --show-list FILE                 print the rows of a list file: title TAB url TAB level
  harvel-cli [--dir DIR] --forget TITLE       remove the record of what TITLE collected
                                              (--only-new); its files stay
  harvel-cli --help | --version

Files land in DIR/TITLE; the downloads are made by VeskDownloader, which is
started, when it is not running, from harvel-cli's folder or else from
../libexec/harvel beside it (an installed harvel-cli).

Options (defaults in brackets):
)" + OptionsHelp() +
         R"(
Each file that did not land gets a line on standard error (URL, local path,
reason); the last line tells how many files landed and failed, and with
--only-new how many were collected already.

Exit status: 0 when every crawl completed and every requested file landed,
3 when the crawls completed but some requested file did not land, 1 when the
downloader cannot be started or reached (or the crawl was interrupted, or its
record could not be written), 2 for a usage error or, with --only-new, a
record that cannot be used (written by a newer Harvel, a read-only folder).
)";
}

}  // namespace harvel
