// Runs every folder under cases/ as one crawl by the real harvel-cli, with the
// real VeskDownloader, against the case's site served on 127.0.0.1.
//
// A case folder holds:
//   site/    the web site; its root is the server's root. Or a file `site`
//            naming a site shared by several cases, in sites/
//   args     harvel-cli's arguments, one a line; {site} stands for the site's
//            base URL, {authority} for its host and port, {closed} for the
//            base URL of a port where nothing listens (the runner puts --dir
//            in front)
//   env      (optional) NAME=value a line: environment variables harvel-cli
//            (and the downloader it starts) runs with; replaced as in args
//   files    every file that must land under --dir, one relative path a line;
//            nothing else may land. A file whose name is held by exactly one file
//            of the site must be an exact copy of it.
//   mail     (optional) the lines of the メールアドレス.txt that landed
//   totals   the last totals line the crawl must print
//   exit     (optional) the exit status, 0 when missing
//   stderr   (optional) lines that standard error must hold, each the start of
//            a line there, in any order; {site}, {closed} and {dir} (the --dir
//            folder) are replaced. Without this file standard error is empty.
//   stdout   (optional) the same for standard output
//   types    (optional) "PATH TYPE" a line: the Content-Type the server sends
//            for that path instead of the one its ending gives
//   requests (optional) every request the server must receive, and nothing
//            else, in any order: "METHOD TARGET" a line (the target as sent,
//            with its query), and below it, indented, "Name: value" for a
//            header the request must carry or "Name:" for one it must not;
//            headers not named are not checked. {site} is replaced; lines
//            starting with '#' are comments
//
// Besides the site's files every server answers /cut-off/<name> with a body
// that ends long before its announced length. The downloader is told to wait
// only a moment before it tries a failed download again.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli_process.h"
#include "downloader_process.h"
#include "scoped_env.h"
#include "stated_requests.h"
#include "temp_folder.h"
#include "test_site_server.h"

namespace harvel {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const fs::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (!line.empty())
      lines.push_back(line);
  }
  return lines;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

std::set<std::string> LandedFiles(const fs::path& dir) {
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file())
      files.insert(fs::relative(entry.path(), dir).string());
  }
  return files;
}

// The one file of the site with this name; empty when there is none or several.
fs::path OnlyFileNamed(const fs::path& site, const fs::path& name) {
  fs::path found;
  for (const auto& entry : fs::recursive_directory_iterator(site)) {
    if (entry.path().filename() != name)
      continue;
    if (!found.empty())
      return {};
    found = entry.path();
  }
  return found;
}

std::string LastTotalsLine(const std::string& output) {
  std::istringstream in(output);
  std::string line, last;
  while (std::getline(in, line)) {
    if (line.rfind("ダウンロード総数:", 0) == 0)
      last = line;
  }
  return last;
}

// Each expected line must start some line of `output`.
void ExpectLinesStart(const std::string& output, const std::vector<std::string>& expected,
                      const char* stream) {
  std::vector<std::string> lines;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  for (const std::string& want : expected) {
    const bool found = std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
      return line.rfind(want, 0) == 0;
    });
    EXPECT_TRUE(found) << stream << " lacks a line starting \"" << want << "\":\n" << output;
  }
}

// A base URL that no server answers: a port that was just let go.
std::string ClosedBaseUrl() {
  test::TestSiteServer gone;
  gone.start();
  std::string url = gone.url("");
  gone.stop();
  return url;
}

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(HARVEL_E2E_CASES)) {
    if (entry.is_directory())
      names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Every file under `dir` with its bytes.
std::map<std::string, std::string> LandedBytes(const fs::path& dir) {
  std::map<std::string, std::string> bytes;
  for (const std::string& file : LandedFiles(dir))
    bytes[file] = test::ReadFile(dir / file);
  return bytes;
}

fs::path SiteFolderOf(const fs::path& folder) {
  return fs::is_directory(folder / "site")
             ? folder / "site"
             : fs::path(HARVEL_E2E_SITES) / Lines(folder / "site").at(0);
}

// Serves the case's site with the Content-Types its `types` file gives, and
// under /cut-off/ bodies that end before their length.
void ServeCase(test::TestSiteServer& site, const fs::path& folder) {
  site.mount(SiteFolderOf(folder).string());
  std::map<std::string, std::string> types;
  for (const std::string& line : Lines(folder / "types")) {
    const std::size_t space = line.find(' ');
    types[line.substr(0, space)] = line.substr(space + 1);
  }
  site.routes().set_file_request_handler(
      [types](const httplib::Request& request, httplib::Response& response) {
        if (const auto type = types.find(request.path); type != types.end()) {
          response.headers.erase("Content-Type");
          response.set_header("Content-Type", type->second);
        }
      });
  site.serveCutOff(R"(/cut-off/.*)");
  site.start();
}

// A line of a case file with {site}, {authority}, {closed} and {dir} filled in.
std::string Substituted(const std::string& line, const test::TestSiteServer& site,
                        const std::string& closed, const test::TempFolder& dir) {
  const std::string base = site.url("");
  const std::string authority = base.substr(base.find("//") + 2);
  return Replaced(Replaced(Replaced(Replaced(line, "{site}", base), "{authority}", authority),
                           "{closed}", closed),
                  "{dir}", dir.text());
}

// harvel-cli with the case's arguments into `dir`, with `extra` before them;
// {closed} in the arguments stands for `closed`, a base URL nobody answers.
test::CliRun RunCase(const fs::path& folder, const test::TestSiteServer& site,
                     const test::TempFolder& dir, const std::string& closed,
                     const QStringList& extra = {}) {
  QStringList arguments{QStringLiteral("--dir"), QString::fromStdString(dir.text())};
  arguments << extra;
  for (const std::string& line : Lines(folder / "args")) {
    arguments << QString::fromStdString(Substituted(line, site, closed, dir));
  }
  const std::vector<std::string> env = Lines(folder / "env");
  std::vector<std::string> names;  // a ScopedEnv keeps a pointer to its name
  names.reserve(env.size());
  std::vector<std::unique_ptr<test::ScopedEnv>> environment;
  for (const std::string& line : env) {
    const std::size_t equals = line.find('=');
    names.push_back(line.substr(0, equals));
    environment.push_back(std::make_unique<test::ScopedEnv>(
        names.back().c_str(), Substituted(line.substr(equals + 1), site, closed, dir).c_str()));
  }
  qputenv("VESKDOWNLOADER_TEST_LIMITS", "retry-pause-ms=50");
  test::CliRun run = test::RunCli(arguments);
  qunsetenv("VESKDOWNLOADER_TEST_LIMITS");
  return run;
}

// An output with `dir` and the times of --verbose lines made the same for any run.
// Times are left out: the reported ones and libcurl's "after 1 ms".
std::string Comparable(const std::string& output, const test::TempFolder& dir) {
  static const std::regex kSeconds(R"(\d+\.\d+ s\b|\d+\.\d+ 秒)");
  static const std::regex kMilliseconds(R"(\b\d+ ms\b)");
  // How much of a picture left out as too small was read depends on how its
  // bytes arrived.
  static const std::regex kReadOfTooSmall(R"(too small \((\d+x\d+)\), HTTP (\d+), \d+ bytes)");
  return std::regex_replace(
      std::regex_replace(std::regex_replace(Replaced(output, dir.text(), "DIR"), kReadOfTooSmall,
                                            "too small ($1), HTTP $2, N bytes"),
                         kSeconds, "T s"),
      kMilliseconds, "T ms");
}

class CliCase : public ::testing::TestWithParam<std::string> {};

TEST_P(CliCase, LandsWhatTheCaseSays) {
  const fs::path folder = fs::path(HARVEL_E2E_CASES) / GetParam();
  const fs::path siteFolder = SiteFolderOf(folder);
  test::TestSiteServer site;
  test::RequestLog requests;
  requests.listenTo(site.routes());
  ServeCase(site, folder);
  test::TempFolder dir;

  const std::string closed = ClosedBaseUrl();
  const test::CliRun run = RunCase(folder, site, dir, closed);
  ASSERT_TRUE(run.finished) << "harvel-cli did not end in time";

  const auto exitLines = Lines(folder / "exit");
  const int expectedExit = exitLines.empty() ? 0 : std::stoi(exitLines.front());
  EXPECT_EQ(run.exitCode, expectedExit) << run.err;

  const auto expected = Lines(folder / "files");
  EXPECT_EQ(LandedFiles(dir.path()), std::set<std::string>(expected.begin(), expected.end()))
      << run.out;
  for (const std::string& file : expected) {
    const fs::path original = OnlyFileNamed(siteFolder, fs::path(file).filename());
    if (!original.empty()) {
      EXPECT_EQ(test::ReadFile(dir.path() / file), test::ReadFile(original)) << file;
    }
  }
  if (fs::exists(folder / "mail")) {
    const auto landed = LandedFiles(dir.path());
    const auto mailFile = std::find_if(landed.begin(), landed.end(), [](const std::string& f) {
      return f.ends_with("メールアドレス.txt");
    });
    ASSERT_NE(mailFile, landed.end());
    EXPECT_EQ(Lines(dir.path() / *mailFile), Lines(folder / "mail"));
  }
  const auto totals = Lines(folder / "totals");
  if (!totals.empty()) {
    EXPECT_EQ(LastTotalsLine(run.out), totals.front()) << run.out;
  }
  for (const char* stream : {"stderr", "stdout"}) {
    std::vector<std::string> expectedLines;
    for (const std::string& line : Lines(folder / stream))
      expectedLines.push_back(Substituted(line, site, closed, dir));
    const std::string& output = std::string(stream) == "stderr" ? run.err : run.out;
    ExpectLinesStart(output, expectedLines, stream);
  }
  if (!fs::exists(folder / "stderr")) {
    EXPECT_EQ(run.err, "");
  }
  if (fs::exists(folder / "requests")) {
    std::vector<std::string> stated;
    for (const std::string& line : Lines(folder / "requests"))
      stated.push_back(Substituted(line, site, closed, dir));
    EXPECT_EQ(test::RequestDifferences(test::ParseStatedRequests(stated), requests.received()), "")
        << run.out;
  }
  // The downloader this run started is closed again.
  EXPECT_TRUE(test::WaitUntilDownloaderAnswers(false, std::chrono::seconds(5)));
}

// Several downloads in flight, with pages read ahead, change only the time a
// crawl takes: the same files with the same bytes under the same names, the
// same texts and status; with either page reader.
TEST_P(CliCase, LandsTheSameWithOneDownloadAtATimeAsWithSix) {
  const fs::path folder = fs::path(HARVEL_E2E_CASES) / GetParam();
  test::TestSiteServer site;
  ServeCase(site, folder);
  const std::string closed = ClosedBaseUrl();
  const auto args = Lines(folder / "args");
  std::vector<QStringList> readers{{}};
  // --render reads every page with the modern reader already.
  if (std::find(args.begin(), args.end(), "--modern-pages") == args.end() &&
      std::find(args.begin(), args.end(), "--render") == args.end())
    readers.push_back({QStringLiteral("--modern-pages")});
  for (const QStringList& reader : readers) {
    SCOPED_TRACE(reader.join(' ').toStdString());
    test::TempFolder one, six;
    const test::CliRun serial =
        RunCase(folder, site, one, closed, QStringList{QStringLiteral("--jobs"), "1"} + reader);
    const test::CliRun overlapped =
        RunCase(folder, site, six, closed, QStringList{QStringLiteral("--jobs"), "6"} + reader);
    ASSERT_TRUE(serial.finished && overlapped.finished) << "harvel-cli did not end in time";
    EXPECT_EQ(overlapped.exitCode, serial.exitCode) << overlapped.err;
    EXPECT_EQ(LandedBytes(six.path()), LandedBytes(one.path()));
    EXPECT_EQ(Comparable(overlapped.out, six), Comparable(serial.out, one));
    EXPECT_EQ(Comparable(overlapped.err, six), Comparable(serial.err, one));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, CliCase, ::testing::ValuesIn(CaseNames()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                           return param.param;
                         });

}  // namespace
}  // namespace harvel
