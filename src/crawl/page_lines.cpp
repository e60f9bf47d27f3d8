#include "crawl/page_lines.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>

#include "common/path_text.h"

namespace harvel {
namespace {

constexpr int kLineLimit = 1000;
constexpr char kLineBreak[] = "\r\n";

void ReserveFor(const std::filesystem::path& path, std::string& pageText) {
  // Room for the whole file and a line break for every line that can be read,
  // within reason: a huge file may be abandoned long before its end.
  constexpr std::uintmax_t kMostReserved = 16u << 20;
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error)
    return;
  pageText.reserve(static_cast<std::size_t>(std::min(size, kMostReserved)) + 2 * kLineLimit);
}

}  // namespace

PageRead ReadPage(const std::string& path, std::string& pageText,
                  const std::function<bool()>& afterLine) {
  pageText.clear();
  const std::filesystem::path filePath = PathFromText(path);
  // Only an ordinary file is read: a pipe or a device could block the crawl.
  std::error_code error;
  if (!std::filesystem::is_regular_file(filePath, error))
    return PageRead::Unreadable;
  std::ifstream in(filePath, std::ios::binary);
  if (!in)
    return PageRead::Unreadable;
  ReserveFor(filePath, pageText);

  int lines = 0;
  bool lineOpen = false;  // a line has begun and has not ended yet
  bool afterCr = false;   // the last byte ended a line at CR: an LF now belongs to it
  // Ends the open line; nullopt to read on.
  const auto endLine = [&]() -> std::optional<PageRead> {
    lineOpen = false;
    if (++lines >= kLineLimit)
      return PageRead::TooLong;
    if (!afterLine())
      return PageRead::Stopped;
    return std::nullopt;
  };

  std::array<char, 64 * 1024> block;
  for (;;) {
    in.read(block.data(), block.size());
    const std::size_t count = static_cast<std::size_t>(in.gcount());
    if (count == 0)
      break;
    const char* p = block.data();
    const char* const end = p + count;
    while (p < end) {
      if (afterCr) {
        afterCr = false;
        if (*p == '\n') {
          ++p;
          continue;
        }
      }
      if (!lineOpen) {
        pageText += kLineBreak;
        lineOpen = true;
      }
      const void* found = std::memchr(p, '\r', static_cast<std::size_t>(end - p));
      if (found == nullptr) {
        pageText.append(p, end);
        break;
      }
      const char* cr = static_cast<const char*>(found);
      pageText.append(p, cr);
      p = cr + 1;
      afterCr = true;
      if (const auto ended = endLine())
        return *ended;
    }
  }
  if (in.bad())
    return PageRead::Unreadable;
  if (lineOpen) {
    if (const auto ended = endLine())
      return *ended;
  }
  return PageRead::Read;
}

}  // namespace harvel
