#include "cli/cli_options.h"

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "common/connection_settings.h"
#include "common/file_request.h"
#include "common/picture_size.h"
#include "crawl/option_table.h"
#include "crawl/url_rules.h"

namespace harvel {
namespace {

using Listed = CliOption::Listed;

bool AllDigits(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

std::optional<long> SmallNumber(const std::string& text) {
  if (!AllDigits(text) || text.size() > 9)
    return std::nullopt;
  return std::stol(text);
}

constexpr const char* kOneMode = "only one of --list, --show-list and --forget, once";

std::string ListFile(ParsedLine& line, const std::string& name, const std::string& text) {
  if (text.empty())
    return name + " needs a file name";
  CliCommand& command = line.command;
  if (command.mode != CliMode::Crawl)
    return kOneMode;
  command.listFile = text;
  command.mode = name == "--list" ? CliMode::List : CliMode::ShowList;
  return {};
}

// A connection setting as given: an empty text, or why it cannot be used
// (never repeating a header's value or a proxy's password).
std::string Connection(ParsedLine& line, const std::string& name, const std::string& text) {
  ConnectionSettings& settings = line.command.connection;
  if (name == "--cookies") {
    settings.cookiesFile = text;
  } else if (name == "--user-agent") {
    settings.userAgent = text;
  } else if (name == "--header") {
    settings.headers.push_back(text);
  } else if (name == "--login-header") {
    settings.loginHeaders.push_back(text);
  } else if (name == "--proxy") {
    settings.proxy = text;
  } else {
    settings.caCertificate = text;
  }
  if (text.empty() && name != "--user-agent")
    return name + " needs a value";
  const std::optional<std::string> problem = SettingsProblem(settings);
  if (!problem)
    return {};
  if (name == "--header" || name == "--login-header")
    return name + " needs 'Name: value' on one line";
  if (name == "--proxy")
    return "--proxy " + ProxyWithoutPassword(text) + ": " + *problem;
  return name + ": " + *problem;
}

// "2", "0.5", "1.25": a number of seconds with at most three decimals, in
// milliseconds; nullopt for anything else.
std::optional<long> Milliseconds(const std::string& text) {
  const std::size_t point = text.find('.');
  const std::string whole = text.substr(0, point);
  std::string fraction = point == std::string::npos ? "" : text.substr(point + 1);
  if ((whole.empty() && fraction.empty()) || (!whole.empty() && !AllDigits(whole)) ||
      (!fraction.empty() && !AllDigits(fraction)) || fraction.size() > 3 || whole.size() > 6)
    return std::nullopt;
  fraction.resize(3, '0');
  return (whole.empty() ? 0 : std::stol(whole)) * 1000 + std::stol(fraction);
}

// --accept or --reject: one more rule after those given before it.
std::string Rule(ParsedLine& line, const std::string& name, const std::string& text) {
  std::string error;
  std::optional<UrlRule> rule = ParseUrlRule(name == "--accept", text, error);
  if (!rule)
    return name + " " + text + ": " + error;
  StaticCrawlOptions& options = line.command.options;
  std::vector<UrlRule> rules;
  if (const std::shared_ptr<const UrlRules> given = options.urlRules())
    rules = given->rules();
  rules.push_back(std::move(*rule));
  options.setUrlRules(std::make_shared<const UrlRules>(std::move(rules)));
  return {};
}

std::vector<CliOption> MakeOptions() {
  const std::string maxJobs = std::to_string(kMaxJobs);
  return {
      {"--help",
       "-h",
       nullptr,
       Listed::No,
       {},
       [](ParsedLine& line, const std::string&, const std::string&) {
         line.help = true;
         return std::string();
       },
       ""},
      {"--version",
       nullptr,
       nullptr,
       Listed::No,
       {},
       [](ParsedLine& line, const std::string&, const std::string&) {
         line.version = true;
         return std::string();
       },
       ""},
      {"--list", nullptr, "FILE", Listed::No, {}, &ListFile, ""},
      {"--show-list", nullptr, "FILE", Listed::No, {}, &ListFile, ""},
      {"--forget",
       nullptr,
       "TITLE",
       Listed::No,
       {},
       [](ParsedLine& line, const std::string&, const std::string& text) {
         CliCommand& command = line.command;
         if (command.mode != CliMode::Crawl)
           return std::string(kOneMode);
         command.mode = CliMode::Forget;
         command.forgetTitle = text;
         return std::string();
       },
       ""},
      {"--row",
       nullptr,
       "N",
       Listed::No,
       {},
       [](ParsedLine& line, const std::string&, const std::string& text) {
         const auto row = SmallNumber(text);
         if (!row || *row < 1)
           return "--row " + text + ": rows are numbered from 1";
         line.command.row = *row;
         return std::string();
       },
       ""},
      {"--dir",
       nullptr,
       "DIR",
       Listed::BeforeCheckBoxes,
       {},
       [](ParsedLine& line, const std::string&, const std::string& text) {
         if (text.empty())
           return std::string("--dir needs a folder name");
         line.command.dir = text;
         return std::string();
       },
       "folder that target folders are made in, made when missing [.]"},
      {"--suffixes", nullptr, "LIST", Listed::AtCheckBox, Check::UserSet,
       [](ParsedLine& line, const std::string&, const std::string& text) {
         line.command.options.set(Check::UserSet, true);
         line.command.options.setUserSetText(text);
         return std::string();
       },
       "collect only names ending in LIST (comma-separated) [off]"},
      {"--open-folder", nullptr, nullptr, Listed::AtCheckBox, Check::FolderOpen,
       [](ParsedLine& line, const std::string&, const std::string&) {
         line.command.options.set(Check::FolderOpen, true);
         return std::string();
       },
       "open the folder when the crawl is complete [off]"},
      {"--filter", nullptr, "TEXT", Listed::AtCheckBox, Check::CommonURL,
       [](ParsedLine& line, const std::string&, const std::string& text) {
         line.command.options.set(Check::CommonURL, true);
         line.command.options.setCommonUrlText(text);
         return std::string();
       },
       "collect only URLs that contain TEXT [off]"},
      {"--speed",
       nullptr,
       "N",
       Listed::AfterCheckBoxes,
       {},
       [](ParsedLine& line, const std::string&, const std::string& text) {
         const auto speed = SmallNumber(text);
         if (!speed || *speed > 5)
           return "--speed " + text + ": the speed is a number from 0 to 5";
         line.command.options.setSpeedLevel(static_cast<int>(*speed));
         return std::string();
       },
       "0 (fastest) to 5 (gentlest on the server) [" + std::to_string(kDefaultSpeedLevel) + "]"},
      {"--max-size",
       nullptr,
       "BYTES",
       Listed::AfterCheckBoxes,
       {},
       [](ParsedLine& line, const std::string&, const std::string& text) {
         if (!AllDigits(text) || text.size() > 18 || std::stoll(text) < 1)
           return "--max-size " + text + ": the size is a whole number of bytes, at least 1";
         line.command.options.setMaxFileSize(std::stoll(text));
         return std::string();
       },
       "refuse files larger than BYTES [no limit]"},
      {"--min-picture",
       nullptr,
       "WxH",
       Listed::AfterCheckBoxes,
       {},
       [](ParsedLine& line, const std::string&, const std::string& text) {
         const auto size = ParsePictureSize(text);
         if (!size)
           return "--min-picture " + text +
                  ": the size is WIDTHxHEIGHT in pixels (400x300), or one number for both";
         line.command.options.setMinimumPicture(*size);
         return std::string();
       },
       "leave out pictures under WxH pixels, judged from their\nheaders (W alone: W x W; 0: keep "
       "all) [0]"},
      {"--jobs",
       nullptr,
       "N",
       Listed::AfterCheckBoxes,
       {},
       [](ParsedLine& line, const std::string&, const std::string& text) {
         const auto jobs = SmallNumber(text);
         if (!jobs || *jobs < 1 || *jobs > kMaxJobs)
           return "--jobs " + text + ": the number of downloads at once is from 1 to " +
                  std::to_string(kMaxJobs);
         line.command.options.setJobs(static_cast<int>(*jobs));
         return std::string();
       },
       "downloads at once at speed 0, 1 to " + maxJobs + " (1: one at a time) [" +
           std::to_string(kDefaultJobs) + "]"},
      {"--only-new",
       nullptr,
       nullptr,
       Listed::AfterCheckBoxes,
       {},
       [](ParsedLine& line, const std::string&, const std::string&) {
         line.command.options.setOnlyNew(true);
         return std::string();
       },
       "record in DIR/TITLE/.harvel what landed, and take\n"
       "nothing recorded again (deleted files stay deleted);\n"
       "pages are read again only when they changed [off]"},
      {"--same-site",
       nullptr,
       nullptr,
       Listed::AfterCheckBoxes,
       {},
       [](ParsedLine& line, const std::string&, const std::string&) {
         line.command.options.setSameSite(true);
         return std::string();
       },
       "read pages for links only on the start URL's site\n"
       "(its registrable domain); pictures and files come\nfrom any host [off]"},
      {"--robots",
       nullptr,
       nullptr,
       Listed::AfterCheckBoxes,
       {},
       [](ParsedLine& line, const std::string&, const std::string&) {
         line.command.options.setRobots(true);
         return std::string();
       },
       "obey each site's robots.txt: what it refuses is not\n"
       "fetched (counted as robots), its Crawl-delay is kept [off]"},
      {"--all-links",
       nullptr,
       nullptr,
       Listed::AfterCheckBoxes,
       {},
       [](ParsedLine& line, const std::string&, const std::string&) {
         line.command.options.setAllLinks(true);
         return std::string();
       },
       "follow every page link: the level counts clicks from\n"
       "the start page; without --same-site the crawl can\ngrow fast [off: a page of level N "
       "follows N links]"},
      {"--next-pages",
       nullptr,
       "N",
       Listed::AfterCheckBoxes,
       {},
       [](ParsedLine& line, const std::string&, const std::string& text) {
         const auto pages = SmallNumber(text);
         if (!pages || *pages > kMaxNextPages)
           return "--next-pages " + text + ": the number of next pages is from 0 to " +
                  std::to_string(kMaxNextPages);
         line.command.options.setNextPages(static_cast<int>(*pages));
         return std::string();
       },
       "follow up to N \"next page\" links in a chain at the\npage's own level [0]"},
      {"--accept",
       nullptr,
       "PATTERN",
       Listed::AfterCheckBoxes,
       {},
       &Rule,
       "take URLs matching PATTERN (*, ?, [a-z]); with page: or\n"
       "file: in front, pages or files only (repeatable)"},
      {"--reject",
       nullptr,
       "PATTERN",
       Listed::AfterCheckBoxes,
       {},
       &Rule,
       "leave out URLs matching PATTERN; of all rules the last\nthat matches decides "
       "(repeatable)"},
      {"--render",
       nullptr,
       nullptr,
       Listed::AfterCheckBoxes,
       {},
       [](ParsedLine& line, const std::string&, const std::string&) {
         line.command.options.setRender(true);
         return std::string();
       },
       "open each page read for links in Chromium, scroll it\n"
       "down, and read what it shows and every picture it\n"
       "loaded (needs chromium-headless-shell or chromium;\n"
       "the browser gets the cookies, User-Agent, headers\n"
       "and proxy, not --ca-certificate) [off]"},
      {"--render-scrolls",
       nullptr,
       "N",
       Listed::AfterCheckBoxes,
       {},
       [](ParsedLine& line, const std::string&, const std::string& text) {
         const auto steps = SmallNumber(text);
         if (!steps || *steps < 1 || *steps > kMostRenderScrolls)
           return "--render-scrolls " + text + ": the number of scroll steps is from 1 to " +
                  std::to_string(kMostRenderScrolls);
         line.command.options.setRenderSteps(static_cast<int>(*steps));
         return std::string();
       },
       "with --render, scroll a page down at most N times\nwhile it grows [" +
           std::to_string(kDefaultRenderScrolls) + "]"},
      {"--cookies",
       nullptr,
       "FILE",
       Listed::AfterCheckBoxes,
       {},
       &Connection,
       "send the cookies of a cookies.txt file (Netscape format,\nas browser extensions export "
       "it) to their sites [none]"},
      {"--user-agent",
       nullptr,
       "TEXT",
       Listed::AfterCheckBoxes,
       {},
       &Connection,
       "the User-Agent to send [" + std::string(kDefaultUserAgent) + "]"},
      {"--header",
       nullptr,
       "'NAME: VALUE'",
       Listed::AfterCheckBoxes,
       {},
       &Connection,
       "send this header with every request (repeatable);\n"
       "Authorization, Cookie and Proxy-Authorization go only\nto the start URL's host"},
      {"--login-header",
       nullptr,
       "'NAME: VALUE'",
       Listed::AfterCheckBoxes,
       {},
       &Connection,
       "a header that carries a login (an API key): sent only\nto the start URL's host, "
       "as a browser sends a login\n(repeatable)"},
      {"--proxy",
       nullptr,
       "URL",
       Listed::AfterCheckBoxes,
       {},
       &Connection,
       "go through this http, https or socks5 proxy\n[http_proxy, https_proxy, no_proxy]; "
       "a password in a\ncommand line can be read by other users: give\n"
       "http://user@host:port and the password in\nHARVEL_PROXY_PASSWORD or a file"},
      {"--proxy-password-file",
       nullptr,
       "FILE",
       Listed::AfterCheckBoxes,
       {},
       [](ParsedLine& line, const std::string& name, const std::string& text) {
         if (text.empty())
           return name + " needs a file name";
         line.command.proxyPasswordFile = text;
         return std::string();
       },
       "the password of --proxy's user: the first line of FILE"},
      {"--ca-certificate",
       nullptr,
       "FILE",
       Listed::AfterCheckBoxes,
       {},
       &Connection,
       "also trust the authorities of this PEM file [the system's]"},
      {"--host-jobs",
       nullptr,
       "N",
       Listed::AfterCheckBoxes,
       {},
       [](ParsedLine& line, const std::string&, const std::string& text) {
         const auto jobs = SmallNumber(text);
         if (!jobs || *jobs < 1 || *jobs > HostManners::kMostHostJobs)
           return "--host-jobs " + text +
                  ": the number of downloads at once from one host is "
                  "from 1 to " +
                  std::to_string(HostManners::kMostHostJobs);
         line.command.connection.manners.hostJobs = static_cast<int>(*jobs);
         return std::string();
       },
       "downloads at once from one host, 1 to " + std::to_string(HostManners::kMostHostJobs) +
           " [the --jobs\nvalue]"},
      {"--wait",
       nullptr,
       "SECONDS",
       Listed::AfterCheckBoxes,
       {},
       [](ParsedLine& line, const std::string&, const std::string& text) {
         const auto wait = Milliseconds(text);
         const long longest = HostManners::kLongestWait.count();
         if (!wait || *wait > longest)
           return "--wait " + text + ": the wait between two requests to one host is from 0 to " +
                  std::to_string(longest / 1000) + " seconds (0.5 for half a second)";
         line.command.connection.manners.wait = std::chrono::milliseconds(*wait);
         return std::string();
       },
       "wait SECONDS between the starts of two requests to\none host (0.5: half a second); other "
       "hosts go on\nmeanwhile [0]"},
      {"--random-wait",
       nullptr,
       nullptr,
       Listed::AfterCheckBoxes,
       {},
       [](ParsedLine& line, const std::string&, const std::string&) {
         line.command.connection.manners.randomWait = true;
         return std::string();
       },
       "make each --wait from 0.5 to 1.5 times as long [off]"},
      {"--quiet",
       "-q",
       nullptr,
       Listed::AfterCheckBoxes,
       {},
       [](ParsedLine& line, const std::string&, const std::string&) {
         line.command.quiet = true;
         return std::string();
       },
       "print nothing but errors"},
      {"--verbose",
       "-v",
       nullptr,
       Listed::AfterCheckBoxes,
       {},
       [](ParsedLine& line, const std::string&, const std::string&) {
         line.command.verbose = true;
         return std::string();
       },
       "a line for each request: URL, local path, outcome,\nHTTP status, bytes and time"},
  };
}

}  // namespace

const std::vector<CliOption>& CliOptions() {
  static const std::vector<CliOption> options = MakeOptions();
  return options;
}

}  // namespace harvel
