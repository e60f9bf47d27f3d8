#pragma once

#include <chrono>

namespace harvel::test {

// How many processes run with their home in a browser profile in this test run's TMPDIR:
// the browsers this run's downloaders started, and nobody else's; with
// `downloader`, only those of the downloader with that process id.
int BrowserProcessesOfThisRun(long downloader = 0);

// Waits, bounded, until none is left; false when some still run.
bool NoBrowserProcessLeft(std::chrono::milliseconds timeout = std::chrono::seconds(10),
                          long downloader = 0);

}  // namespace harvel::test
