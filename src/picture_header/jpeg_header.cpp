#include "picture_header/jpeg_header.h"

#include <cstring>

namespace harvel {
namespace {

// SOF0 to SOF15, less DHT (C4), JPG (C8) and DAC (CC), which share the range.
bool IsFrameHeader(std::uint8_t code) {
  return code >= 0xc0 && code <= 0xcf && code != 0xc4 && code != 0xc8 && code != 0xcc;
}

// Markers that stand alone, without a length: TEM and the restart markers.
bool StandsAlone(std::uint8_t code) {
  return code == 0x01 || (code >= 0xd0 && code <= 0xd7);
}

constexpr std::uint8_t kApp1 = 0xe1;
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::size_t kExifSignature = 6;  // "Exif" and two zero bytes

// The orientation (1 to 8) in an EXIF block's first directory, 0 when it has none.
unsigned ExifOrientation(std::span<const std::uint8_t> block) {
  if (block.size() < kExifSignature + 8 || std::memcmp(block.data(), "Exif\0\0", 6) != 0)
    return 0;
  const std::span<const std::uint8_t> tiff = block.subspan(kExifSignature);
  const bool little = tiff[0] == 'I' && tiff[1] == 'I';
  if (!little && !(tiff[0] == 'M' && tiff[1] == 'M'))
    return 0;
  const auto u16 = [&](std::size_t at) {
    return little ? LittleEndian16(tiff.data() + at) : BigEndian16(tiff.data() + at);
  };
  const auto u32 = [&](std::size_t at) {
    return little ? LittleEndian32(tiff.data() + at) : BigEndian32(tiff.data() + at);
  };
  if (u16(2) != 42)
    return 0;
  const std::uint32_t directory = u32(4);
  if (directory < 8 || directory > tiff.size() - 2)
    return 0;
  const std::size_t entries = u16(directory);
  for (std::size_t n = 0; n < entries; ++n) {
    const std::size_t entry = directory + 2 + n * 12;
    if (entry + 12 > tiff.size())
      return 0;
    // A SHORT (type 3), one of them, held in the entry itself.
    if (u16(entry) == kOrientationTag)
      return u16(entry + 2) == 3 && u32(entry + 4) == 1 ? u16(entry + 8) : 0;
  }
  return 0;
}

}  // namespace

HeaderStep JpegHeader::Look(std::span<const std::uint8_t> bytes, std::uint64_t) {
  switch (expect_) {
    case Expect::Start:
      if (bytes[0] != 0xff || bytes[1] != 0xd8)
        return HeaderStep::NotKnown();
      expect_ = Expect::MarkerPrefix;
      return HeaderStep::Read(2, 1);
    case Expect::MarkerPrefix:
      if (bytes[0] != 0xff)
        return HeaderStep::NotKnown();
      expect_ = Expect::MarkerCode;
      return HeaderStep::Read(1, 1);
    case Expect::MarkerCode: {
      const std::uint8_t code = bytes[0];
      if (code == 0xff)  // a fill byte
        return HeaderStep::Read(1, 1);
      if (StandsAlone(code)) {
        expect_ = Expect::MarkerPrefix;
        return HeaderStep::Read(1, 1);
      }
      if (IsFrameHeader(code)) {
        sequential_ = code == 0xc0 || code == 0xc1;
        expect_ = Expect::Frame;
        return HeaderStep::Read(1, 7);  // length, precision, height, width
      }
      // Zero is no marker; SOI, EOI and SOS cannot come before a frame header.
      if (code == 0x00 || code == 0xd8 || code == 0xd9 || code == 0xda)
        return HeaderStep::NotKnown();
      marker_ = code;
      expect_ = Expect::SegmentLength;
      return HeaderStep::Read(1, 2);
    }
    case Expect::SegmentLength: {
      const std::uint16_t length = BigEndian16(bytes.data());  // counts itself
      if (length < 2)
        return HeaderStep::NotKnown();
      if (marker_ == kApp1 && !exifSeen_ && length > 2 + kExifSignature) {
        expect_ = Expect::Exif;
        return HeaderStep::Read(2, length - 2u);
      }
      expect_ = Expect::MarkerPrefix;
      return HeaderStep::Read(length, 1);
    }
    case Expect::Exif:
      if (std::memcmp(bytes.data(), "Exif\0\0", kExifSignature) == 0) {
        exifSeen_ = true;
        turned_ = ExifOrientation(bytes) >= 5 && ExifOrientation(bytes) <= 8;
      }
      expect_ = Expect::MarkerPrefix;
      return HeaderStep::Read(bytes.size(), 1);
    case Expect::Frame: {
      // A height of 0 is given later (DNL), after the picture data.
      if (BigEndian16(bytes.data()) < 8)
        return HeaderStep::NotKnown();
      const std::uint16_t height = BigEndian16(bytes.data() + 3);
      const std::uint16_t width = BigEndian16(bytes.data() + 5);
      HeaderStep size = turned_ ? HeaderStep::Size(height, width) : HeaderStep::Size(width, height);
      size.turned = turned_;
      size.wholePictureKept = !sequential_;
      return size;
    }
  }
  return HeaderStep::NotKnown();
}

}  // namespace harvel
