#include "downloader_isolation.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>

#include "downloader_process.h"

namespace harvel::test {

DownloaderIsolation::DownloaderIsolation() {
  std::signal(SIGPIPE, SIG_IGN);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const auto runtime = folder_.path() / "runtime";
  const auto tmp = folder_.path() / "tmp";
  std::filesystem::create_directory(runtime);
  std::filesystem::create_directory(tmp);
  chmod(runtime.c_str(), 0700);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  setenv("TMPDIR", tmp.c_str(), 1);
  // Nor the user's kept settings: the desktop program reads and writes them.
  setenv("XDG_CONFIG_HOME", (folder_.path() / "config").c_str(), 1);
  setenv("XDG_DATA_HOME", (folder_.path() / "data").c_str(), 1);  // and the kept list
}

DownloaderIsolation::~DownloaderIsolation() {
  KillRunningDownloader();
}

}  // namespace harvel::test
