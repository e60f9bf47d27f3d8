#pragma once

#include <chrono>

namespace harvel {

// VeskDownloader runs only when started by Harvel: its command line is
// exactly `wake`.
bool IsWakeCommandLine(int argc, char** argv);

// Tells the user to start Harvel instead: "Harvel.exeから起動してください" in a
// message box titled VeskDownloader with an OK button only, or on standard error
// when there is no display. Returns the program's exit status (non-zero).
int RefuseToStart(int argc, char** argv);

// How long the program waits without a client before it ends: 60 s, or the
// milliseconds in VESKDOWNLOADER_IDLE_MS (for tests).
std::chrono::milliseconds IdleTimeout();

}  // namespace harvel
