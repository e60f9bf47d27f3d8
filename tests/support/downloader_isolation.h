#pragma once

#include "temp_folder.h"

namespace harvel::test {

// For a test program's main(): every test process gets a downloader socket
// folder of its own (XDG_RUNTIME_DIR and TMPDIR point into a fresh private
// folder), so tests never meet a user's downloader or each other's; settings
// are kept in a folder of its own (XDG_CONFIG_HOME); widgets use the offscreen
// platform. When it goes, any downloader left behind is killed.
class DownloaderIsolation {
 public:
  DownloaderIsolation();
  ~DownloaderIsolation();
  DownloaderIsolation(const DownloaderIsolation&) = delete;
  DownloaderIsolation& operator=(const DownloaderIsolation&) = delete;

 private:
  TempFolder folder_;
};

}  // namespace harvel::test
