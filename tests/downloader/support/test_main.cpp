// main() of the channel, platform, cli and end-to-end tests: every test process
// gets a downloader socket folder of its own (XDG_RUNTIME_DIR and TMPDIR point
// into a fresh private folder), so tests never meet a user's downloader or each
// other's, and any downloader left behind is killed at the end.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <csignal>
#include <filesystem>

#include "downloader_process.h"
#include "temp_folder.h"

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  harvel::test::TempFolder isolation;
  const auto runtime = isolation.path() / "runtime";
  const auto tmp = isolation.path() / "tmp";
  std::filesystem::create_directory(runtime);
  std::filesystem::create_directory(tmp);
  chmod(runtime.c_str(), 0700);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  setenv("TMPDIR", tmp.c_str(), 1);

  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  const int status = RUN_ALL_TESTS();
  harvel::test::KillRunningDownloader();
  return status;
}
