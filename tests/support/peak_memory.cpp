#include "peak_memory.h"

#include <fstream>
#include <string>

namespace harvel::test {

std::int64_t PeakMemory() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0)
      return std::stoll(line.substr(6)) * 1024;
  }
  return 0;
}

bool ResetPeakMemory() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return clear.good();
}

}  // namespace harvel::test
