#include "cli/cli_app.h"

#include <QString>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "cli/command_line.h"
#include "cli/escaped_text.h"
#include "cli/flushing_event_pump.h"
#include "cli/interrupt_watcher.h"
#include "cli/outcome_tally.h"
#include "cli/progress_printer.h"
#include "common/browser_program.h"
#include "common/path_text.h"
#include "crawl/crawl_session.h"
#include "crawl/title_check.h"
#include "list_file/list_file.h"
#include "platform/downloader_channel.h"
#include "platform/qt_event_pump.h"
#include "platform/qt_shell.h"
#include "record/record_file.h"
#include "record/recorded_folders.h"

#ifndef HARVEL_VERSION
#define HARVEL_VERSION "unknown"
#endif

namespace harvel {
namespace {

constexpr const char* kProgram = "harvel-cli";

// --dir made absolute, without a "/" at its end.
std::string AbsoluteFolderText(const std::string& dir) {
  std::error_code error;
  std::string text =
      TextFromPath(std::filesystem::absolute(PathFromText(dir), error).lexically_normal());
  while (text.size() > 1 && text.back() == '/')
    text.pop_back();
  return text;
}

// Harvel's folder from --dir: absolute, and it must exist.
std::optional<std::string> HarvelFolder(const std::string& dir) {
  std::string text = AbsoluteFolderText(dir);
  std::error_code error;
  if (!std::filesystem::is_directory(PathFromText(text), error))
    return std::nullopt;
  return text;
}

// Harvel's folder from --dir, made with its parents (mode from the umask) when
// it does not exist yet; `made` tells whether it was. nullopt and `error`
// when it cannot be made (a path through a file, a folder not writable).
std::optional<std::string> MadeHarvelFolder(const std::string& dir, bool& made,
                                            std::string& error) {
  namespace fs = std::filesystem;
  made = false;
  if (std::optional<std::string> folder = HarvelFolder(dir))
    return folder;
  std::error_code failure;
  made = fs::create_directories(PathFromText(AbsoluteFolderText(dir)), failure);
  if (std::optional<std::string> folder = HarvelFolder(dir))
    return folder;
  made = false;
  error = failure ? "the folder cannot be made: " + failure.message() : "no such folder";
  return std::nullopt;
}

// A title is shown escaped: it may hold control characters.
std::string TitleRefusalText(const std::string& label, const std::string& title,
                             const std::string& folder) {
  return label + " '" + EscapedText(title) + "' names no folder inside " + folder +
         "; give a plain folder name (not empty, \".\" or \"..\", no \"/\", \"\\\" or "
         "control character)";
}

}  // namespace

CliApp::CliApp(std::ostream& out, std::ostream& err, Terminal terminal, std::string programFolder)
    : out_(out), err_(err), terminal_(terminal), programFolder_(std::move(programFolder)) {}

int CliApp::usageError(const std::string& message) {
  err_ << kProgram << ": " << message << "\nTry '" << kProgram << " --help'.\n";
  return kUsageError;
}

std::optional<ConnectionSettings> CliApp::connectionOf(const CliCommand& command) {
  ConnectionSettings settings = command.connection;
  std::string password;
  const char* fromEnvironment = std::getenv("HARVEL_PROXY_PASSWORD");
  if (!command.proxyPasswordFile.empty()) {
    const std::string& file = command.proxyPasswordFile;
    std::ifstream in(PathFromText(file));
    if (!in || !std::getline(in, password)) {
      usageError("--proxy-password-file " + file + ": cannot be read");
      return std::nullopt;
    }
    if (!password.empty() && password.back() == '\r')
      password.pop_back();
  } else if (fromEnvironment != nullptr && !settings.proxy.empty()) {
    password = fromEnvironment;
  } else {
    return settings;
  }
  const std::optional<std::string> proxy = ProxyWithPassword(settings.proxy, password);
  if (proxy) {
    settings.proxy = *proxy;
  } else if (!command.proxyPasswordFile.empty()) {
    usageError(
        "--proxy-password-file needs --proxy with a user and no password "
        "(http://user@host:port)");
    return std::nullopt;
  }
  return settings;
}

int CliApp::run(const std::vector<std::string>& args) {
  auto parsed = ParseCommandLine(args);
  if (auto* error = std::get_if<UsageError>(&parsed))
    return usageError(error->message);
  const CliCommand& command = std::get<CliCommand>(parsed);

  switch (command.mode) {
    case CliMode::Help:
      out_ << UsageText();
      return kCompleted;
    case CliMode::Version:
      out_ << kProgram << ' ' << HARVEL_VERSION << '\n';
      return kCompleted;
    case CliMode::ShowList:
      return showList(command);
    case CliMode::Forget:
      return forget(command);
    case CliMode::Crawl:
      return crawl(command, {command.target}, {"the title"});
    case CliMode::List:
      break;
  }

  std::vector<CrawlTarget> rows;
  if (!LoadListFile(command.listFile, rows)) {
    return usageError("--list " + command.listFile + ": the list file cannot be read");
  }
  std::vector<std::string> labels;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    labels.push_back("the title of row " + std::to_string(i + 1));
  }
  if (command.row) {
    const auto row = static_cast<std::size_t>(*command.row);
    if (row > rows.size()) {
      return usageError("--row " + std::to_string(row) + ": " + command.listFile + " has " +
                        std::to_string(rows.size()) + " rows");
    }
    return crawl(command, {rows[row - 1]}, {labels[row - 1]});
  }
  return crawl(command, rows, labels);
}

int CliApp::showList(const CliCommand& command) {
  std::vector<CrawlTarget> rows;
  if (!LoadListFile(command.listFile, rows)) {
    return usageError("--show-list " + command.listFile + ": the list file cannot be read");
  }
  for (const CrawlTarget& row : rows) {
    out_ << EscapedText(row.title) << '\t' << EscapedText(row.url) << '\t' << EscapedText(row.level)
         << '\n';
  }
  out_ << std::flush;
  return kCompleted;
}

// Scripts call it: it asks nothing, and no file of the folder is touched.
int CliApp::forget(const CliCommand& command) {
  const auto folder = HarvelFolder(command.dir);
  if (!folder)
    return usageError("--dir " + command.dir + ": no such folder");
  const std::string& title = command.forgetTitle;
  const std::optional<std::string> titleFolder = TitleFolder(*folder, title);
  if (!titleFolder)
    return usageError(TitleRefusalText("--forget", title, *folder));
  std::string error;
  switch (ForgetFolderRecord(*titleFolder, error)) {
    case ForgetResult::Forgotten:
      if (!command.quiet)
        out_ << kProgram << ": the record of '" << EscapedText(title) << "' was removed\n";
      return kCompleted;
    case ForgetResult::NoRecord:
      if (!command.quiet)
        out_ << kProgram << ": '" << EscapedText(title) << "' has no record\n";
      return kCompleted;
    case ForgetResult::Refused:
      break;
  }
  err_ << kProgram << ": " << EscapedText(error) << '\n';
  return kFailed;
}

int CliApp::applySettings(DownloaderChannel& channel, const ConnectionSettings& settings,
                          std::string& warned) {
  const DownloaderChannel::SettingsResult result = channel.applySettings(settings);
  const std::string warning = channel.settingsWarning().toStdString();
  if (!warning.empty() && warning != warned) {
    err_ << kProgram << ": warning: " << warning << '\n';
    warned = warning;
  }
  switch (result) {
    case DownloaderChannel::SettingsResult::Applied:
      return kCompleted;
    case DownloaderChannel::SettingsResult::Refused:
      err_ << kProgram << ": " << channel.errorText().toStdString() << '\n';
      return kUsageError;
    case DownloaderChannel::SettingsResult::NotTaken:
    case DownloaderChannel::SettingsResult::Unreachable:
      break;
  }
  err_ << kProgram << ": " << channel.errorText().toStdString() << '\n';
  return kFailed;
}

int CliApp::crawl(const CliCommand& command, const std::vector<CrawlTarget>& targets,
                  const std::vector<std::string>& labels) {
  // Every title is checked before anything is written or downloaded.
  for (std::size_t i = 0; i < targets.size(); ++i) {
    if (TitleIsRefused(targets[i].title)) {
      return usageError(
          TitleRefusalText(labels[i], targets[i].title, AbsoluteFolderText(command.dir)));
    }
  }
  bool made = false;
  std::string folderError;
  const auto folder = MadeHarvelFolder(command.dir, made, folderError);
  if (!folder)
    return usageError("--dir " + command.dir + ": " + folderError);
  if (made && command.verbose)
    out_ << kProgram << ": made the folder " << EscapedText(*folder) << '\n';
  if (targets.empty())
    return kCompleted;
  const std::optional<ConnectionSettings> connection = connectionOf(command);
  if (!connection)
    return kUsageError;
  if (command.options.renderScrolls() > 0 && !FindBrowserProgram()) {
    err_ << kProgram << ": --render: " << BrowserMissingText() << "; nothing was fetched\n";
    return kUsageError;
  }
  // With --only-new every target's record is opened before anything is
  // fetched: one that cannot be used ends the run here.
  RecordedFolders records;
  if (command.options.onlyNew()) {
    for (const CrawlTarget& target : targets) {
      const RecordStatus record = records.open(*folder + "/" + target.title);
      if (record.state == RecordStatus::State::Unusable) {
        err_ << kProgram << ": " << EscapedText(record.message)
             << "; nothing was fetched (--forget TITLE removes a record)\n";
        return kUsageError;
      }
      if (record.state == RecordStatus::State::Restarted)
        err_ << kProgram << ": " << EscapedText(record.message) << '\n';
    }
  }

  DownloaderChannel channel(QString::fromStdString(programFolder_));
  CrawlSession* running = nullptr;  // the crawl session, once there is one
  InterruptWatcher interrupt([&channel, &running] {
    channel.stopStarting();  // also a downloader being waited for
    if (running != nullptr)
      running->unload();
  });
  if (!channel.connectOrStart()) {
    if (interrupt.interrupted()) {
      err_ << kProgram << ": interrupted\n";
    } else {
      err_ << kProgram
           << ": the downloader cannot be started: " << channel.errorText().toStdString() << '\n';
    }
    return kFailed;
  }
  if (command.options.renderScrolls() > 0 && !channel.renders()) {
    err_ << kProgram
         << ": --render: the running VeskDownloader cannot render pages (it is an older one); "
            "nothing was fetched: end it, or wait until it ends by itself, and try again\n";
    return kFailed;
  }

  if (command.options.robots() && !channel.obeysRobots()) {
    err_ << kProgram
         << ": --robots: the running VeskDownloader cannot read robots.txt (it is an older one); "
            "nothing was fetched: end it, or wait until it ends by itself, and try again\n";
    return kFailed;
  }

  QtEventPump qtPump;
  FlushingEventPump pump(qtPump, out_);
  QtShell shell;
  CrawlSession session(command.options, pump, channel, shell, *folder);
  session.setCollectedFiles(&records);
  session.setCompletionPauseMs(0);  // no window to leave on the screen
  std::unique_ptr<ProgressPrinter> printer;
  if (!command.quiet) {
    printer = std::make_unique<ProgressPrinter>(out_,
                                                terminal_.stdoutIsTerminal
                                                    ? ProgressPrinter::Style::RedrawnLine
                                                    : ProgressPrinter::Style::Lines,
                                                terminal_.columns, command.verbose);
  }
  if (printer && terminal_.currentColumns)
    printer->setColumns(terminal_.currentColumns);
  OutcomeTally tally(err_, printer.get());
  if (printer)
    tally.setBeforeError([&printer] { printer->clearLine(); });
  session.setObserver(&tally);
  running = &session;

  int status = kCompleted;
  std::string warned;
  for (std::size_t i = 0; i < targets.size() && status == kCompleted; ++i) {
    // Each crawl starts with the settings and a fresh cookie jar; its logins
    // go to its start URL's host.
    ConnectionSettings settings = *connection;
    settings.startUrl = targets[i].url;
    status = applySettings(channel, settings, warned);
    if (status != kCompleted)
      break;
    switch (session.start(targets[i])) {
      case CrawlOutcome::Completed:
      case CrawlOutcome::AlreadyRunning:
        break;
      case CrawlOutcome::Closed:
        err_ << kProgram << ": interrupted\n";
        status = kFailed;
        break;
      case CrawlOutcome::ChannelFailed:
        err_ << kProgram << ": " << session.errorText() << '\n';
        status = kFailed;
        break;
      case CrawlOutcome::TitleRefused:
        status = usageError(TitleRefusalText(labels[i], targets[i].title, *folder));
        break;
      case CrawlOutcome::RecordUnusable:
        err_ << kProgram << ": " << session.errorText() << '\n';
        status = kUsageError;
        break;
      case CrawlOutcome::RecordFailed:
        err_ << kProgram << ": " << session.errorText() << '\n';
        status = kFailed;
        break;
    }
  }
  running = nullptr;
  session.setObserver(nullptr);
  if (printer)
    printer->unloaded();
  if (channel.startedDownloader())
    channel.close();
  if (!command.quiet)
    out_ << tally.summary() << '\n' << std::flush;
  if (status == kCompleted && tally.failed() > 0)
    status = kSomeFilesFailed;
  return status;
}

}  // namespace harvel
