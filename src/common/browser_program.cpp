#include "common/browser_program.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace harvel {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::string> FindOnPath(std::string_view name) {
  const char* path = std::getenv("PATH");
  std::string_view folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  while (!folders.empty()) {
    const auto colon = folders.find(':');
    std::string folder(folders.substr(0, colon));
    folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
    if (folder.empty() || folder.front() != '/')
      continue;  // a relative entry would depend on the working folder
    std::string candidate = folder + "/" + std::string(name);
    if (IsExecutableFile(candidate))
      return candidate;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> FindBrowserProgram() {
  if (const char* chosen = std::getenv("HARVEL_CHROMIUM"); chosen != nullptr && *chosen != '\0') {
    if (IsExecutableFile(chosen))
      return std::string(chosen);
    return std::nullopt;
  }
  for (const char* name : {"chromium-headless-shell", "chromium", "chromium-browser"}) {
    if (auto found = FindOnPath(name))
      return found;
  }
  return std::nullopt;
}

std::string BrowserMissingText() {
  return std::string("rendering pages needs Chromium, which was not found: install the package ") +
         kBrowserPackage + " (or chromium), or set HARVEL_CHROMIUM to the browser's program";
}

}  // namespace harvel
