#pragma once

#include <QStringList>
#include <chrono>
#include <string>

namespace harvel::test {

// What a run of harvel-cli left.
struct CliRun {
  int exitCode = -1;
  bool finished = false;  // false: it was killed at the time-out
  std::string out;
  std::string err;
};

// Runs the real harvel-cli from `programFolder` (the build's by default) and
// waits, bounded, for it to end.
CliRun RunCli(const QStringList& arguments,
              std::chrono::milliseconds timeout = std::chrono::seconds(60),
              const std::string& programFolder = "");

// Runs the real harvel-cli from the build's folder with its standard output
// and error on a pseudo-terminal `columns` wide, as a person in a terminal
// runs it. `out` holds what the terminal was sent, both streams in the order
// they came, byte for byte (no line-end translation); `err` stays empty.
CliRun RunCliOnTerminal(const QStringList& arguments, int columns,
                        std::chrono::milliseconds timeout = std::chrono::seconds(60));

}  // namespace harvel::test
