#include "picture_header/gif_header.h"

#include <algorithm>

namespace harvel {
namespace {

constexpr std::uint8_t kFrame = 0x2c;
constexpr std::uint8_t kExtension = 0x21;

}  // namespace

HeaderStep GifHeader::Look(std::span<const std::uint8_t> bytes, std::uint64_t offset) {
  const std::uint8_t* p = bytes.data();
  switch (expect_) {
    case Expect::Screen: {
      screen_ = {LittleEndian16(p + 6), LittleEndian16(p + 8)};
      const std::uint8_t flags = p[10];
      const std::size_t colourTable = (flags & 0x80) != 0 ? 3u << ((flags & 7) + 1) : 0;
      return Next(Expect::Block, offset, 13 + colourTable, 1);
    }
    case Expect::Block:
      if (p[0] == kFrame)
        return Next(Expect::Frame, offset, 1, 9);  // left, top, width, height, flags
      if (p[0] == kExtension)
        return Next(Expect::Label, offset, 1, 1);
      return ScreenSize();  // the trailer, or bytes that are no block
    case Expect::Label:
      return Next(Expect::SubBlock, offset, 1, 1);
    case Expect::SubBlock:
      // Sub-blocks, each its length and that many bytes, up to one of length 0.
      if (p[0] == 0)
        return Next(Expect::Block, offset, 1, 1);
      return Next(Expect::SubBlock, offset, 1 + std::uint64_t{p[0]}, 1);
    case Expect::Frame: {
      const std::uint32_t width = std::max<std::uint32_t>(screen_.width, LittleEndian16(p + 4));
      const std::uint32_t height = std::max<std::uint32_t>(screen_.height, LittleEndian16(p + 6));
      return HeaderStep::Size(width, height);
    }
  }
  return HeaderStep::NotKnown();
}

HeaderStep GifHeader::Next(Expect expect, std::uint64_t offset, std::uint64_t advance,
                           std::size_t read) {
  if (offset + advance + read > kHeaderReadLimit)
    return ScreenSize();
  expect_ = expect;
  return HeaderStep::Read(advance, read);
}

}  // namespace harvel
