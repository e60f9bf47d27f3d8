#pragma once

#include "picture_header/header_step.h"

namespace harvel {

// A JPEG's size from its frame header (SOF), passing over every marker segment
// before it (APPn, tables, comments) without reading them, and fill bytes
// between them. Baseline, progressive, lossless and arithmetic frames alike;
// a scan or the end of the picture before any frame header is not known. The
// first EXIF block (APP1) is read for its orientation: 5 to 8 turn the picture
// a quarter, so it is shown with width and height swapped.
class JpegHeader : public FormatHeader {
 public:
  HeaderStep First() const override { return HeaderStep::Read(0, 2); }
  HeaderStep Look(std::span<const std::uint8_t> bytes, std::uint64_t offset) override;

 private:
  enum class Expect { Start, MarkerPrefix, MarkerCode, SegmentLength, Exif, Frame };
  Expect expect_ = Expect::Start;
  std::uint8_t marker_ = 0;  // the marker whose segment length is looked at
  bool exifSeen_ = false;
  bool turned_ = false;
  bool sequential_ = false;  // the frame header is baseline or extended Huffman
};

}  // namespace harvel
