#include "picture_header/ico_header.h"

#include <algorithm>
#include <cstring>

#include "common/picture_format.h"
#include "picture_header/fixed_headers.h"

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

HeaderStep IcoHeader::Look(std::span<const std::uint8_t> bytes, std::uint64_t offset) {
  if (count_ == 0) {
    // Reserved 0, type 1 (an icon, not a cursor), at least one picture.
    count_ = LittleEndian16(bytes.data() + 4);
    if (LittleEndian16(bytes.data()) != 0 || LittleEndian16(bytes.data() + 2) != 1 || count_ == 0)
      return HeaderStep::NotKnown();
    return HeaderStep::Read(kDirectory, kEntry);
  }
  if (entries_.size() < count_) {
    const std::uint8_t* entry = bytes.data();
    const std::uint32_t firstData = kDirectory + kEntry * count_;
    if (LittleEndian16(entry + 4) > 1 || !IsBitCount(LittleEndian16(entry + 6)) ||
        LittleEndian32(entry + 8) == 0 || LittleEndian32(entry + 12) < firstData)
      return HeaderStep::NotKnown();
    // A side of 0 stands for 256.
    entries_.push_back({LittleEndian32(entry + 12),
                        {entry[0] == 0 ? 256u : entry[0], entry[1] == 0 ? 256u : entry[1]}});
    if (entries_.size() < count_)
      return HeaderStep::Read(kEntry, kEntry);
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const Entry& a, const Entry& b) { return a.data < b.data; });
    return NextPicture(offset);
  }
  Entry& picture = entries_[looked_++];
  if (PictureFormatOfSignature(bytes.first(8)) == PictureFormat::Png) {
    const HeaderStep png = PngSize(bytes);
    if (png.kind != HeaderStep::Kind::Size)
      return HeaderStep::NotKnown();
    picture.size = png.size;
  }
  return NextPicture(offset);
}

HeaderStep IcoHeader::NextPicture(std::uint64_t offset) {
  while (looked_ < entries_.size()) {
    const std::uint64_t data = entries_[looked_].data;
    if (data + kPngHeader <= kHeaderReadLimit)
      return HeaderStep::Read(data - offset, kPngHeader);
    ++looked_;  // beyond what is read: as the directory says
  }
  for (const Entry& entry : entries_) {
    if (Area(entry.size) > Area(largest_))
      largest_ = entry.size;
  }
  return HeaderStep::Size(largest_.width, largest_.height);
}

}  // namespace harvel
