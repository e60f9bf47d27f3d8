#pragma once

#include <vector>

#include "picture_header/header_step.h"

namespace harvel {

// An icon file's size: that of the largest of its pictures (by area). Each
// entry of its directory must look like one (planes, bit count, length, and
// data that starts after the directory), or the file is not known. A picture
// stored as a PNG is as large as its own header says (the directory holds at
// most 256); the others, and a PNG past the first 1 MiB, as the directory says.
class IcoHeader : public FormatHeader {
 public:
  HeaderStep First() const override { return HeaderStep::Read(0, 6); }
  HeaderStep Look(std::span<const std::uint8_t> bytes, std::uint64_t offset) override;

 private:
  struct Entry {
    std::uint32_t data;  // where its picture starts in the file
    PictureSize size;
  };
  // Looks at the start of the next picture that may be a PNG, or answers.
  HeaderStep NextPicture(std::uint64_t offset);

  std::uint32_t count_ = 0;
  std::vector<Entry> entries_;  // in the order of their data once the directory is read
  std::size_t looked_ = 0;      // pictures whose first bytes have been looked at
  PictureSize largest_;
};

}  // namespace harvel
