#include "cli/command_line.h"

#include <functional>
#include <map>
#include <optional>

#include "crawl/option_table.h"

namespace harvel {
namespace {

constexpr const char* kDefaultLevel = "3";

// --gif / --no-gif and the like: each mirrors one check box.
const std::map<std::string, Check>& SwitchFlags() {
  static const std::map<std::string, Check> flags = [] {
    std::map<std::string, Check> table;
    for (const CheckOption& option : kCheckOptions) {
      if (option.cliFlag)
        table.emplace(option.cliFlag, option.check);
    }
    return table;
  }();
  return flags;
}

// The --help lines of the switches of the options first to last, in table order:
// the flags in a column 35 wide, then the words and the built-in state.
std::string SwitchHelp(Check first, Check last) {
  constexpr std::size_t kFlagColumn = 35;
  const std::string continuation(2 + kFlagColumn, ' ');
  std::string text;
  for (std::size_t i = static_cast<std::size_t>(first); i <= static_cast<std::size_t>(last); ++i) {
    const CheckOption& option = kCheckOptions[i];
    if (!option.cliFlag)
      continue;
    std::string flags = std::string("--") + option.cliFlag + ", --no-" + option.cliFlag;
    flags.append(flags.size() < kFlagColumn ? kFlagColumn - flags.size() : 2, ' ');
    std::string words = option.help;
    for (std::size_t at = words.find('\n'); at != std::string::npos;
         at = words.find('\n', at + 1)) {
      words.insert(at + 1, continuation);
    }
    text += "  " + flags + words + (option.onByDefault ? " [on]\n" : " [off]\n");
  }
  return text;
}

bool AllDigits(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

std::optional<long> SmallNumber(const std::string& text) {
  if (!AllDigits(text) || text.size() > 9)
    return std::nullopt;
  return std::stol(text);
}

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& args) : args_(args) {}

  std::variant<CliCommand, UsageError> parse() {
    command_.options.set(Check::FolderOpen, false);
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
    if (help_)
      command_.mode = CliMode::Help;
    if (version_ && !help_)
      command_.mode = CliMode::Version;
    if (help_ || version_)
      return command_;
    targets(positional);
    if (failed())
      return *error_;
    return command_;
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
    const bool takesValue = name == "--dir" || name == "--suffixes" || name == "--filter" ||
                            name == "--speed" || name == "--list" || name == "--row" ||
                            name == "--show-list" || name == "--max-size" || name == "--jobs";
    if (inline_ && !takesValue) {
      fail("option '" + name + "' takes no value: '" + arg + "'");
      return;
    }
    if (name == "--help" || name == "-h") {
      help_ = true;
    } else if (name == "--version") {
      version_ = true;
    } else if (name == "--quiet" || name == "-q") {
      command_.quiet = true;
    } else if (name == "--verbose" || name == "-v") {
      command_.verbose = true;
    } else if (name == "--open-folder") {
      command_.options.set(Check::FolderOpen, true);
    } else if (!takesValue && switchFlag(name)) {
      // done
    } else if (!takesValue) {
      fail("unknown option '" + arg + "'");
    } else if (auto text = value(name, inline_)) {
      valueOption(name, *text);
    }
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
    command_.options.set(found->second, on);
    return true;
  }

  void valueOption(const std::string& name, const std::string& text) {
    if (name == "--dir") {
      if (text.empty())
        return fail("--dir needs a folder name");
      command_.dir = text;
    } else if (name == "--suffixes") {
      command_.options.set(Check::UserSet, true);
      command_.options.setUserSetText(text);
    } else if (name == "--filter") {
      command_.options.set(Check::CommonURL, true);
      command_.options.setCommonUrlText(text);
    } else if (name == "--speed") {
      const auto speed = SmallNumber(text);
      if (!speed || *speed > 5)
        return fail("--speed " + text + ": the speed is a number from 0 to 5");
      command_.options.setSpeedLevel(static_cast<int>(*speed));
    } else if (name == "--max-size") {
      if (!AllDigits(text) || text.size() > 18 || std::stoll(text) < 1)
        return fail("--max-size " + text + ": the size is a whole number of bytes, at least 1");
      command_.options.setMaxFileSize(std::stoll(text));
    } else if (name == "--jobs") {
      const auto jobs = SmallNumber(text);
      if (!jobs || *jobs < 1 || *jobs > kMaxJobs)
        return fail("--jobs " + text + ": the number of downloads at once is from 1 to 16");
      command_.options.setJobs(static_cast<int>(*jobs));
    } else if (name == "--row") {
      const auto row = SmallNumber(text);
      if (!row || *row < 1)
        return fail("--row " + text + ": rows are numbered from 1");
      command_.row = *row;
    } else if (name == "--list" || name == "--show-list") {
      if (text.empty())
        return fail(name + " needs a file name");
      if (!command_.listFile.empty())
        return fail("only one of --list and --show-list, once");
      command_.listFile = text;
      command_.mode = name == "--list" ? CliMode::List : CliMode::ShowList;
    }
  }

  void targets(const std::vector<std::string>& positional) {
    if (command_.mode != CliMode::Crawl) {
      if (!positional.empty()) {
        fail("unexpected argument '" + positional.front() + "' after a list file");
      } else if (command_.row && command_.mode != CliMode::List) {
        fail("--row needs --list FILE");
      }
      return;
    }
    if (command_.row)
      return fail("--row needs --list FILE");
    if (positional.empty())
      return fail("missing TITLE and URL");
    if (positional.size() == 1)
      return fail("missing URL after the title '" + positional[0] + "'");
    if (positional.size() > 3)
      return fail("unexpected argument '" + positional[3] + "'");
    command_.target.title = positional[0];
    command_.target.url = positional[1];
    command_.target.level = positional.size() == 3 ? positional[2] : kDefaultLevel;
  }

  const std::vector<std::string>& args_;
  std::size_t index_ = 0;
  CliCommand command_;
  std::optional<UsageError> error_;
  bool help_ = false;
  bool version_ = false;
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
  harvel-cli --help | --version

Files land in DIR/TITLE; the downloads are made by VeskDownloader, which is
started, when it is not running, from harvel-cli's folder or else from
../libexec/harvel beside it (an installed harvel-cli).

Options (defaults in brackets):
  --dir DIR                          folder that target folders are made in [.]
)" + SwitchHelp(Check::Gif, Check::Other) +
         R"(  --suffixes LIST                    collect only names ending in LIST (comma-separated) [off]
)" + SwitchHelp(Check::TextGet, Check::ModernPages) +
         R"(  --filter TEXT                      collect only URLs that contain TEXT [off]
  --open-folder                      open the folder when the crawl is complete [off]
  --speed N                          0 (fastest) to 5 (gentlest on the server) [0]
  --max-size BYTES                   refuse files larger than BYTES [no limit]
  --jobs N                           downloads at once at speed 0, 1 to 16 (1: one at a time) [6]
  --quiet                            print nothing but errors
  --verbose                          a line for each request: URL, local path, outcome,
                                     HTTP status, bytes and time

Each file that did not land gets a line on standard error (URL, local path,
reason); the last line tells how many files landed and failed.

Exit status: 0 when every crawl completed and every requested file landed,
3 when the crawls completed but some requested file did not land, 1 when the
downloader cannot be started or reached (or the crawl was interrupted), 2 for
a usage error.
)";
}

}  // namespace harvel
