#pragma once

#include <optional>
#include <string>

#include "common/connection_settings.h"
#include "common/crawl_target.h"
#include "crawl/static_crawl_options.h"

namespace harvel {

enum class CliMode {
  Crawl,     // harvel-cli [OPTIONS] TITLE URL [LEVEL]
  List,      // harvel-cli [OPTIONS] --list FILE [--row N]
  ShowList,  // harvel-cli --show-list FILE
  Forget,    // harvel-cli [--dir DIR] --forget TITLE
  Help,
  Version,
};

// What the command line asks for.
struct CliCommand {
  CliMode mode = CliMode::Crawl;
  CrawlTarget target;          // Crawl: the level defaults to "3"
  std::string listFile;        // List, ShowList
  std::string forgetTitle;     // Forget
  std::optional<long> row;     // List: only this row, 1-based
  std::string dir = ".";       // Harvel's folder: target folders are made inside it
  StaticCrawlOptions options;  // the main window's built-in states, "open folder" off
  // --cookies, --user-agent, --header, --login-header, --proxy, --ca-certificate
  ConnectionSettings connection;
  std::string proxyPasswordFile;  // --proxy-password-file
  bool quiet = false;
  bool verbose = false;  // a line for each request as it ended
};

}  // namespace harvel
