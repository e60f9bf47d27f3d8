#pragma once

#include "crawl/shell.h"

namespace harvel {

// Opens a folder in the desktop's file manager: through QDesktopServices in a
// program with a QGuiApplication (the desktop program), through the desktop's
// open command (xdg-open) in a console program such as harvel-cli. Failures are
// not reported.
class QtShell : public Shell {
 public:
  void openFolder(const std::string& folder) override;
  // Opens `folder` as openFolder does; false when no program answered.
  bool openFolderNow(const std::string& folder);
  // Opens a file with the desktop's program for its type, the same way.
  void openFile(const std::string& file) { openFolder(file); }
};

}  // namespace harvel
