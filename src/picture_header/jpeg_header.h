#pragma once

#include "picture_header/header_step.h"

namespace harvel {

// A JPEG's size from its frame header (SOF), passing over every marker segment
// before it (APPn, EXIF with its own small picture inside, tables, comments)
// without reading them. Baseline, progressive, lossless and arithmetic frames
// alike; a scan or the end of the picture before any frame header is not known.
class JpegHeader : public FormatHeader {
 public:
  HeaderStep First() const override { return HeaderStep::Read(0, 2); }
  HeaderStep Look(std::span<const std::uint8_t> bytes, std::uint64_t offset) override;

 private:
  enum class Expect { Start, MarkerPrefix, MarkerCode, SegmentLength, Frame };
  Expect expect_ = Expect::Start;
};

}  // namespace harvel
