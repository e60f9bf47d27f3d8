#include "crawl/sequential_name.h"

#include <filesystem>
#include <system_error>

#include "common/path_text.h"

namespace harvel {

std::string NumberedName(const std::string& saveFile, int number) {
  const std::size_t slash = saveFile.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = saveFile.rfind('.');
  const std::string suffix = "(" + std::to_string(number) + ")";
  if (dot == std::string::npos || dot < nameStart)
    return saveFile + suffix;
  std::string numbered = saveFile.substr(0, dot);
  numbered += suffix;
  numbered.append(saveFile, dot);
  return numbered;
}

std::optional<std::string> FirstFreeNumberedName(const std::string& saveFile) {
  for (int number = 1; number <= kLastSequenceNumber; ++number) {
    std::string candidate = NumberedName(saveFile, number);
    if (!OrdinaryFileExists(candidate))
      return candidate;
  }
  return std::nullopt;
}

std::optional<std::string> LandingName(const std::string& saveFile, bool numbering) {
  if (!numbering || !OrdinaryFileExists(saveFile))
    return saveFile;
  return FirstFreeNumberedName(saveFile);
}

std::vector<std::string> EarlierNames(const std::string& plainFile, const std::string& numbered) {
  std::vector<std::string> earlier;
  if (numbered == plainFile)
    return earlier;
  for (int number = 0; number <= kLastSequenceNumber; ++number) {
    std::string name = number == 0 ? plainFile : NumberedName(plainFile, number);
    if (name == numbered)
      break;
    if (OrdinaryFileExists(name))
      earlier.push_back(std::move(name));
  }
  return earlier;
}

bool OrdinaryFileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(PathFromText(path), error);
}

}  // namespace harvel
