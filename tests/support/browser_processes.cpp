#include "browser_processes.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace harvel::test {

int BrowserProcessesOfThisRun(long downloader) {
  const char* temp = std::getenv("TMPDIR");
  // The browser and everything it starts have HOME in their profile, which
  // is named after the downloader's process id.
  std::string profile =
      std::string("HOME=") + (temp != nullptr ? temp : "/tmp") + "/harvel-browser-";
  if (downloader > 0)
    profile += std::to_string(downloader) + "-";
  int count = 0;
  std::error_code failed;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", failed)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos)
      continue;
    std::ifstream file(entry.path() / "environ", std::ios::binary);
    const std::string line((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    std::ifstream stat(entry.path() / "stat");
    std::string status;
    std::getline(stat, status);
    const auto close = status.rfind(')');
    if (close != std::string::npos && close + 2 < status.size() && status[close + 2] == 'Z')
      continue;  // ended, waiting to be reaped by whoever is its parent now
    if (line.find(profile) != std::string::npos)
      ++count;
  }
  return count;
}

bool NoBrowserProcessLeft(std::chrono::milliseconds timeout, long downloader) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (BrowserProcessesOfThisRun(downloader) > 0) {
    if (std::chrono::steady_clock::now() > end)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

}  // namespace harvel::test
