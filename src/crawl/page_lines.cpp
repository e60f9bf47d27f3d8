#include "crawl/page_lines.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "common/path_text.h"
#include "common/regular_file.h"

namespace harvel {
namespace {

constexpr int kLineLimit = 1000;
constexpr char kLineBreak[] = "\r\n";

void ReserveFor(const RegularFile& file, std::string& pageText) {
  // Room for the whole file and a line break for every line that can be read,
  // within reason: a huge file may be abandoned long before its end.
  constexpr std::uintmax_t kMostReserved = 16u << 20;
  const auto size = static_cast<std::uintmax_t>(std::max<off_t>(file.status().st_size, 0));
  pageText.reserve(static_cast<std::size_t>(std::min(size, kMostReserved)) + 2 * kLineLimit);
}

}  // namespace

PageRead ReadPage(const std::string& path, std::string& pageText,
                  const std::function<bool()>& afterLine) {
  pageText.clear();
  // Only an ordinary file is read: a pipe or a device could block the crawl.
  RegularFile in = RegularFile::Open(PathFromText(path));
  if (!in)
    return PageRead::Unreadable;
  ReserveFor(in, pageText);

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
    const std::optional<std::size_t> read = in.read(block.data(), block.size());
    if (!read)
      return PageRead::Unreadable;
    const std::size_t count = *read;
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
  if (lineOpen) {
    if (const auto ended = endLine())
      return *ended;
  }
  return PageRead::Read;
}

}  // namespace harvel
