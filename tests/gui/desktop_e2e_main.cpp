// main() of the desktop end-to-end tests: real widgets on the offscreen
// platform, and a downloader socket folder of this process's own, so the tests
// never meet a user's downloader; any downloader left behind is killed.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <QApplication>
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

  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  const int status = RUN_ALL_TESTS();
  harvel::test::KillRunningDownloader();
  return status;
}
