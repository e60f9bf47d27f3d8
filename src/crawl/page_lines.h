#pragma once

#include <functional>
#include <string>

namespace harvel {

// How reading a page ended.
enum class PageRead {
  Read,        // every line was read
  TooLong,     // the page reached 1000 lines and was abandoned
  Unreadable,  // the file could not be opened or read
  Stopped,     // `afterLine` asked to stop
};

// Reads the page file at `path` as bytes into `pageText`: each line is put
// behind a CR LF, so the text starts with one. A line ends at CR or CR LF (not
// kept); a lone LF stays in the line. A page is read for at most 999 lines: at
// the 1000th it is abandoned. `afterLine` runs after every other line and returns
// false to stop reading.
PageRead ReadPage(const std::string& path, std::string& pageText,
                  const std::function<bool()>& afterLine);

}  // namespace harvel
