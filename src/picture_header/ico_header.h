#pragma once

#include "picture_header/header_step.h"

namespace harvel {

// An icon file's size: that of the largest of its pictures (by area), from its
// directory of pictures. Each entry must look like one (planes, bit count,
// length and place), or the file is not known.
class IcoHeader : public FormatHeader {
 public:
  HeaderStep First() const override { return HeaderStep::Read(0, 6); }
  HeaderStep Look(std::span<const std::uint8_t> bytes, std::uint64_t offset) override;

 private:
  std::uint32_t count_ = 0;
  std::uint32_t seen_ = 0;
  PictureSize largest_;
};

}  // namespace harvel
