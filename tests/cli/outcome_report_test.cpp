// What harvel-cli shows of each request's outcome: failure lines, the
// summary, --verbose lines, and the flags that steer them.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/command_line.h"
#include "cli/outcome_tally.h"
#include "cli/progress_printer.h"
#include "temp_folder.h"

namespace harvel {
namespace {

RequestRecord Record(const std::string& name, bool landed, const std::string& folder = "/h/site") {
  RequestRecord record{"http://e.test/" + name, folder + "/" + name, {}};
  record.outcome.landed = landed;
  record.outcome.httpStatus = landed ? 200 : 404;
  record.outcome.bytes = landed ? 6 : 0;
  record.outcome.elapsedMs = 1500;
  if (!landed) {
    record.outcome.reason = "http-status";
    record.outcome.reasonText = "HTTP 404";
  }
  return record;
}

TEST(OutcomeTally, CountsFilesAndWritesOneLinePerFailureOnTheErrorStream) {
  test::TempFolder folder;
  folder.write("a.gif", "GIF89a");
  std::ostringstream out, err;
  ProgressPrinter printer(out, ProgressPrinter::Style::RedrawnLine, 80, true);
  OutcomeTally tally(err, &printer);
  tally.setBeforeError([&printer] { printer.clearLine(); });

  tally.statusTextChanged(1, "ダウンロード中...");
  tally.requestEnded(Record("a.gif", true, folder.text()));
  tally.statusTextChanged(1, "処理中...");
  tally.requestEnded(Record("b\x1b[2J.gif", false));
  tally.unloaded();

  EXPECT_EQ(tally.landed(), 1);
  EXPECT_EQ(tally.failed(), 1);
  EXPECT_EQ(tally.summary(), "harvel-cli: 1 landed, 1 failed");
  // No escape sequence of a hostile URL reaches the terminal.
  EXPECT_EQ(err.str(),
            "harvel-cli: failed: http://e.test/b [2J.gif -> /h/site/b [2J.gif: HTTP 404\n");
  // The verbose lines and the failure line (on the other stream) go above the
  // redrawn line, which comes back below them with the totals.
  EXPECT_EQ(out.str(),
            "\r0 fetched, 0 failed, 0 left, 0.0 files/s\x1b[K\r\x1b[K"
            "http://e.test/a.gif -> " +
                folder.text() +
                "/a.gif: landed, HTTP 200, 6 bytes, 1.500 s\n"
                "\r1 fetched, 0 failed, 0 left, 0.0 files/s\x1b[K\r\x1b[K"
                "http://e.test/b [2J.gif -> /h/site/b [2J.gif: failed (HTTP 404), "
                "HTTP 404, 0 bytes, 1.500 s\n"
                "\r1 fetched, 1 failed, 0 left, 0.0 files/s\x1b[K\r\x1b[K"
                "\r1 fetched, 1 failed, 0 left, 0.0 files/s\x1b[K\n");
}

TEST(OutcomeTally, QuietRunsStillCountAndReportFailures) {
  std::ostringstream err;
  OutcomeTally tally(err, nullptr);
  RequestRecord refused = Record("a.gif", false);
  refused.outcome.reason = "connection-refused";
  refused.outcome.reasonText = "connection refused: nobody";
  tally.requestEnded(refused);
  tally.captionChanged("巡回完了");
  EXPECT_EQ(tally.failed(), 1);
  EXPECT_EQ(tally.landed(), 0);
  EXPECT_EQ(err.str(),
            "harvel-cli: failed: http://e.test/a.gif -> /h/site/a.gif: connection refused: "
            "nobody\n");
}

// A page read for its links and then removed is not a file collected; a file
// landed twice under one name is one file.
TEST(OutcomeTally, LandedCountsTheFilesThatStay) {
  test::TempFolder folder;
  std::ostringstream err;
  OutcomeTally tally(err, nullptr);
  folder.write("index.html", "<img src=a.gif>");
  tally.requestEnded(Record("index.html", true, folder.text()));
  folder.write("a.gif", "GIF89a");
  tally.requestEnded(Record("a.gif", true, folder.text()));
  tally.requestEnded(Record("a.gif", true, folder.text()));
  std::filesystem::remove(folder.path() / "index.html");
  EXPECT_EQ(tally.summary(), "harvel-cli: 1 landed, 0 failed");
}

TEST(OutcomeTally, APictureLeftOutAsTooSmallIsNeitherLandedNorFailed) {
  std::ostringstream err;
  OutcomeTally tally(err, nullptr);
  RequestRecord small = Record("thumb.jpg", false);
  small.outcome.reason = "too-small";
  small.outcome.tooSmall = PictureSize{120, 90};
  tally.requestEnded(small);
  tally.requestEnded(small);
  EXPECT_EQ(tally.failed(), 0);
  EXPECT_EQ(tally.summary(), "harvel-cli: 0 landed, 0 failed, 2 too small");
  EXPECT_EQ(err.str(), "");
}

TEST(ProgressPrinter, WithoutVerboseRequestsPrintNothing) {
  std::ostringstream out;
  ProgressPrinter printer(out, ProgressPrinter::Style::Lines);
  printer.requestEnded(Record("a.gif", true));
  printer.unloaded();
  EXPECT_EQ(out.str(), "");
}

TEST(CommandLine, VerboseAndMaxSize) {
  auto parsed = ParseCommandLine({"--verbose", "--max-size", "1048576", "T", "http://e.test/"});
  ASSERT_TRUE(std::holds_alternative<CliCommand>(parsed));
  const CliCommand& command = std::get<CliCommand>(parsed);
  EXPECT_TRUE(command.verbose);
  EXPECT_EQ(command.options.maxFileSize(), 1048576);

  auto plain = ParseCommandLine({"T", "http://e.test/"});
  ASSERT_TRUE(std::holds_alternative<CliCommand>(plain));
  EXPECT_FALSE(std::get<CliCommand>(plain).verbose);
  EXPECT_FALSE(std::get<CliCommand>(plain).options.maxFileSize());

  for (const char* bad : {"0", "-5", "1k", "", "9999999999999999999"}) {
    auto refused = ParseCommandLine({std::string("--max-size=") + bad, "T", "http://e.test/"});
    ASSERT_TRUE(std::holds_alternative<UsageError>(refused)) << bad;
    EXPECT_NE(std::get<UsageError>(refused).message.find("--max-size"), std::string::npos);
  }
  EXPECT_NE(UsageText().find("--max-size BYTES"), std::string::npos);
  EXPECT_NE(UsageText().find("3 when the crawls completed"), std::string::npos);
}

}  // namespace
}  // namespace harvel
