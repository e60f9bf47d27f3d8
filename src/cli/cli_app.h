#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "platform/downloader_channel.h"

namespace harvel {

// harvel-cli: reads the command line, makes sure VeskDownloader runs, crawls
// each target with the engine and closes the downloader at the end if it
// started it. Needs a QCoreApplication. Exit status: 0 when every crawl
// completed and every requested file landed, 3 when the crawls completed but
// some file did not land, 1 when the downloader cannot be started or reached
// (or a crawl was interrupted), 2 for a usage error.
class CliApp {
 public:
  struct Terminal {
    bool stdoutIsTerminal = false;
    int columns = 80;
    std::function<int()> currentColumns;  // the width now, when it can change
  };

  // `programFolder`: where VeskDownloader is started from.
  CliApp(std::ostream& out, std::ostream& err, Terminal terminal, std::string programFolder);

  int run(const std::vector<std::string>& args);

  static constexpr int kCompleted = 0;
  static constexpr int kFailed = 1;
  static constexpr int kUsageError = 2;
  static constexpr int kSomeFilesFailed = 3;

 private:
  int usageError(const std::string& message);
  int showList(const CliCommand& command);
  // The connection settings of the command, with the proxy's password from
  // --proxy-password-file or HARVEL_PROXY_PASSWORD; nullopt when they cannot
  // be used (the usage error told).
  std::optional<ConnectionSettings> connectionOf(const CliCommand& command);
  int forget(const CliCommand& command);
  // The connection settings for the next crawl: kCompleted, or the exit
  // status of settings that cannot be used (the reason told); a warning is
  // told once.
  int applySettings(DownloaderChannel& channel, const ConnectionSettings& settings,
                    std::string& warned);
  int crawl(const CliCommand& command, const std::vector<CrawlTarget>& targets,
            const std::vector<std::string>& labels);

  std::ostream& out_;
  std::ostream& err_;
  Terminal terminal_;
  std::string programFolder_;
};

}  // namespace harvel
