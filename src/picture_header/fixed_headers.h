#pragma once

#include <cstdint>
#include <span>

#include "picture_header/header_step.h"

namespace harvel {

// The formats whose size lies at a fixed place near the start of the file.
// Each reads the first `bytes` of the file, as many as its k...Header constant.
constexpr std::size_t kPngHeader = 24;
constexpr std::size_t kBmpHeader = 26;

HeaderStep PngSize(std::span<const std::uint8_t> bytes);
// VP8 (lossy) and VP8X (extended: the canvas) in the first 30 bytes, VP8L
// (lossless) in the first 25.
HeaderStep WebpSize(std::span<const std::uint8_t> bytes);
// The Windows headers (40 bytes and longer, a negative height for rows stored
// top down) and the 12-byte OS/2 one.
HeaderStep BmpSize(std::span<const std::uint8_t> bytes);

// A FormatHeader over one of the functions above.
class FixedHeader : public FormatHeader {
 public:
  using Reader = HeaderStep (*)(std::span<const std::uint8_t>);
  FixedHeader(Reader reader, std::size_t length) : reader_(reader), length_(length) {}

  HeaderStep First() const override { return HeaderStep::Read(0, length_); }
  HeaderStep Look(std::span<const std::uint8_t> bytes, std::uint64_t) override {
    return reader_(bytes);
  }

 private:
  Reader reader_;
  std::size_t length_;
};

// A WebP's first chunk says how much of it the size needs: a lossless picture
// can be 28 bytes in all.
class WebpHeader : public FormatHeader {
 public:
  HeaderStep First() const override { return HeaderStep::Read(0, 16); }
  HeaderStep Look(std::span<const std::uint8_t> bytes, std::uint64_t) override;

 private:
  bool chunkSeen_ = false;
};

}  // namespace harvel
