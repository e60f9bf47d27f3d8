#include "cli/progress_line.h"

#include <cstdio>

#include "cli/terminal_text.h"

namespace harvel {
namespace {

constexpr std::string_view kCut = "...";
// A file name is not started in fewer columns than this.
constexpr int kLeastForName = 8;

}  // namespace

std::string ProgressLineText(const ProgressTotals& totals, int columns) {
  std::string line =
      std::to_string(totals.fetched) + " fetched, " + std::to_string(totals.failed) + " failed";
  for (const auto& [name, count] : totals.otherEnds) {
    if (count != 0)
      line += ", " + std::to_string(count) + " " + TerminalLine(name);
  }
  char rate[48];
  std::snprintf(rate, sizeof rate, ", %lld left, %.1f files/s", static_cast<long long>(totals.left),
                totals.filesPerSecond);
  line += rate;
  if (TerminalColumns(line) >= columns)
    return FirstColumns(line, columns);

  const std::string name = TerminalLine(totals.fileUnderWay);
  const int room = columns - TerminalColumns(line) - 2;
  if (name.empty() || room < kLeastForName)
    return line;
  line += "  ";
  if (TerminalColumns(name) <= room)
    return line + name;
  return line + std::string(kCut) + LastColumns(name, room - static_cast<int>(kCut.size()));
}

}  // namespace harvel
