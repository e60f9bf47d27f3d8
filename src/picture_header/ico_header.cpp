#include "picture_header/ico_header.h"

namespace harvel {
namespace {

constexpr std::size_t kDirectory = 6;
constexpr std::size_t kEntry = 16;

bool IsBitCount(std::uint16_t bits) {
  return bits == 0 || bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 ||
         bits == 24 || bits == 32;
}

std::uint64_t Area(PictureSize size) {
  return std::uint64_t{size.width} * size.height;
}

}  // namespace

HeaderStep IcoHeader::Look(std::span<const std::uint8_t> bytes, std::uint64_t) {
  if (count_ == 0) {
    // Reserved 0, type 1 (an icon, not a cursor), at least one picture.
    count_ = LittleEndian16(bytes.data() + 4);
    if (LittleEndian16(bytes.data()) != 0 || LittleEndian16(bytes.data() + 2) != 1 || count_ == 0)
      return HeaderStep::NotKnown();
    return HeaderStep::Read(kDirectory, kEntry);
  }
  const std::uint8_t* entry = bytes.data();
  const std::uint32_t firstData = kDirectory + kEntry * count_;
  if (LittleEndian16(entry + 4) > 1 || !IsBitCount(LittleEndian16(entry + 6)) ||
      LittleEndian32(entry + 8) == 0 || LittleEndian32(entry + 12) < firstData)
    return HeaderStep::NotKnown();
  // A side of 0 stands for 256.
  const PictureSize size{entry[0] == 0 ? 256u : entry[0], entry[1] == 0 ? 256u : entry[1]};
  if (Area(size) > Area(largest_))
    largest_ = size;
  if (++seen_ == count_)
    return HeaderStep::Size(largest_.width, largest_.height);
  return HeaderStep::Read(kEntry, kEntry);
}

}  // namespace harvel
