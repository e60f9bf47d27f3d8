#include "common/is_binary_file.h"

#include <array>
#include <cstring>

#include "common/path_text.h"
#include "common/regular_file.h"

namespace harvel {

std::optional<bool> IsBinaryFile(const std::string& path) {
  // Only an ordinary file can be tested: a pipe or a device could block the read.
  RegularFile in = RegularFile::Open(PathFromText(path));
  if (!in)
    return std::nullopt;

  std::array<char, 64 * 1024> block;
  bool previousWasZero = false;  // carries a pair across the block boundary
  bool readAnything = false;
  while (true) {
    const std::optional<std::size_t> read = in.read(block.data(), block.size());
    if (!read)
      return std::nullopt;
    const std::size_t count = *read;
    if (count == 0)
      break;
    readAnything = true;
    const char* p = block.data();
    const char* const end = p + count;
    if (previousWasZero && *p == '\0')
      return true;
    while (p < end) {
      const void* zero = std::memchr(p, 0, static_cast<std::size_t>(end - p));
      if (zero == nullptr)
        break;
      const char* z = static_cast<const char*>(zero);
      if (z + 1 < end && z[1] == '\0')
        return true;
      p = z + 1;
    }
    previousWasZero = block[count - 1] == '\0';
  }
  if (!readAnything)
    return std::nullopt;
  return false;
}

}  // namespace harvel
