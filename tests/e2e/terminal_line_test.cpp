// harvel-cli in a terminal: its one redrawn line holds the totals all the time
// and never runs over the terminal's width.
#include <gtest/gtest.h>

#include <clocale>
#include <cwchar>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "cli_process.h"
#include "temp_folder.h"
#include "test_site_server.h"

namespace harvel {
namespace {

using namespace std::chrono_literals;

// What the terminal showed, one entry per drawing of a line (split at "\r"
// and "\n", the erase-to-end sequence taken out), empty ones left out.
std::vector<std::string> Drawings(const std::string& screen) {
  std::vector<std::string> drawings;
  std::string current;
  auto flush = [&] {
    for (std::size_t at; (at = current.find("\x1b[K")) != std::string::npos;)
      current.erase(at, 3);
    if (!current.empty())
      drawings.push_back(current);
    current.clear();
  };
  for (char c : screen) {
    if (c == '\r' || c == '\n') {
      flush();
    } else {
      current += c;
    }
  }
  flush();
  return drawings;
}

// The columns a terminal gives the text.
int ColumnsOf(const std::string& text) {
  std::mbstate_t state{};
  const char* source = text.c_str();
  std::wstring wide(text.size() + 1, L'\0');
  const std::size_t count = std::mbsrtowcs(wide.data(), &source, wide.size(), &state);
  if (count == static_cast<std::size_t>(-1))
    return 1000;  // not UTF-8: never fits
  return wcswidth(wide.c_str(), count);
}

TEST(TerminalLine, HoldsTheTotalsAllTheTimeWithinTheTerminalsWidth) {
  ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
  test::TestSiteServer site;
  std::string page = "<html>\r\n";
  for (int i = 0; i < 12; ++i)
    page += "<img src=\"長い名前の写真アルバム-" + std::to_string(i) + ".gif\">\r\n";
  page += "<img src=\"missing.gif\">\r\n";
  site.routes().Get("/index.html", [page](const httplib::Request&, httplib::Response& res) {
    res.set_content(page, "text/html");
  });
  site.routes().Get(R"(/.*-\d+\.gif)", [](const httplib::Request&, httplib::Response& res) {
    std::this_thread::sleep_for(30ms);
    res.set_content("GIF89a picture", "image/gif");
  });
  site.routes().Get("/missing.gif",
                    [](const httplib::Request&, httplib::Response& res) { res.status = 404; });
  site.start();
  test::TempFolder dir;

  constexpr int kColumns = 60;
  const auto run = test::RunCliOnTerminal({"--dir", QString::fromStdString(dir.text()), "T",
                                           QString::fromStdString(site.url("/index.html")), "1"},
                                          kColumns);
  site.stop();
  ASSERT_TRUE(run.finished) << run.out;
  EXPECT_EQ(run.exitCode, 3) << run.out;

  const std::regex totals(R"(\d+ fetched, \d+ failed, \d+ left, \d+\.\d files/s( .*)?)");
  int lines = 0;
  int withAName = 0;
  std::string last;
  for (const std::string& drawing : Drawings(run.out)) {
    if (drawing.rfind("harvel-cli: ", 0) == 0)
      continue;  // a failure line, the summary
    ++lines;
    EXPECT_TRUE(std::regex_match(drawing, totals)) << drawing;
    EXPECT_LT(ColumnsOf(drawing), kColumns) << drawing;
    if (drawing.find(".gif") != std::string::npos)
      ++withAName;
    last = drawing;
  }
  EXPECT_GE(lines, 13);
  EXPECT_GE(withAName, 12);  // the file under way
  EXPECT_EQ(last.substr(0, 30), "13 fetched, 1 failed, 0 left, ") << last;
  EXPECT_NE(run.out.find("harvel-cli: failed: "), std::string::npos);
  // The page was read for its links and removed: it was fetched, but it did not stay.
  EXPECT_NE(run.out.find("\nharvel-cli: 12 landed, 1 failed\n"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace harvel
