// Feeds arbitrary bytes to the picture header reader, whole and in pieces cut
// where the first byte says: the answer must not depend on the cuts, a size is
// never 0 wide or high, and the reader never asks for more after 1 MiB.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "picture_header/picture_header_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0)
    return 0;
  const std::size_t piece = data[0] % 7 + 1;
  const std::span<const std::uint8_t> file(data + 1, size - 1);

  harvel::PictureHeaderReader whole;
  whole.Feed(file);
  harvel::PictureHeaderReader pieces;
  for (std::size_t at = 0; at < file.size(); at += piece)
    pieces.Feed(file.subspan(at, std::min(piece, file.size() - at)));

  if (whole.answer() != pieces.answer())
    std::abort();
  if (whole.answer() == harvel::PictureHeaderReader::Answer::Size) {
    if (whole.size() != pieces.size() || whole.size().width == 0 || whole.size().height == 0)
      std::abort();
  }
  if (file.size() >= harvel::PictureHeaderReader::kReadLimit &&
      whole.answer() == harvel::PictureHeaderReader::Answer::NeedMore)
    std::abort();
  return 0;
}
