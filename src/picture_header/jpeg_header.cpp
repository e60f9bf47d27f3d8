#include "picture_header/jpeg_header.h"

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
        expect_ = Expect::Frame;
        return HeaderStep::Read(1, 7);  // length, precision, height, width
      }
      // Zero is no marker; SOI, EOI and SOS cannot come before a frame header.
      if (code == 0x00 || code == 0xd8 || code == 0xd9 || code == 0xda)
        return HeaderStep::NotKnown();
      expect_ = Expect::SegmentLength;
      return HeaderStep::Read(1, 2);
    }
    case Expect::SegmentLength: {
      const std::uint16_t length = BigEndian16(bytes.data());  // counts itself
      if (length < 2)
        return HeaderStep::NotKnown();
      expect_ = Expect::MarkerPrefix;
      return HeaderStep::Read(length, 1);
    }
    case Expect::Frame:
      // A height of 0 is given later (DNL), after the picture data.
      if (BigEndian16(bytes.data()) < 8)
        return HeaderStep::NotKnown();
      return HeaderStep::Size(BigEndian16(bytes.data() + 5), BigEndian16(bytes.data() + 3));
  }
  return HeaderStep::NotKnown();
}

}  // namespace harvel
