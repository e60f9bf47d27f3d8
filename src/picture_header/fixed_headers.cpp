#include "picture_header/fixed_headers.h"

#include <cstdlib>
#include <cstring>

namespace harvel {
namespace {

bool Has(std::span<const std::uint8_t> bytes, std::size_t at, const char* text) {
  return std::memcmp(bytes.data() + at, text, std::strlen(text)) == 0;
}

HeaderStep Vp8Size(const std::uint8_t* payload) {
  // A key frame (bit 0 clear) starts with its start code and two 14-bit sides.
  if ((payload[0] & 1) != 0 || payload[3] != 0x9d || payload[4] != 0x01 || payload[5] != 0x2a)
    return HeaderStep::NotKnown();
  return HeaderStep::Size(LittleEndian16(payload + 6) & 0x3fff,
                          LittleEndian16(payload + 8) & 0x3fff);
}

HeaderStep Vp8lSize(const std::uint8_t* payload) {
  if (payload[0] != 0x2f)
    return HeaderStep::NotKnown();
  const std::uint32_t bits = LittleEndian32(payload + 1);
  return HeaderStep::Size((bits & 0x3fff) + 1, ((bits >> 14) & 0x3fff) + 1);
}

}  // namespace

HeaderStep PngSize(std::span<const std::uint8_t> bytes) {
  // The first chunk is IHDR, 13 bytes long, width and height first.
  if (BigEndian32(bytes.data() + 8) != 13 || !Has(bytes, 12, "IHDR"))
    return HeaderStep::NotKnown();
  return HeaderStep::Size(BigEndian32(bytes.data() + 16), BigEndian32(bytes.data() + 20));
}

HeaderStep WebpSize(std::span<const std::uint8_t> bytes) {
  const std::uint8_t* payload = bytes.data() + 20;
  if (Has(bytes, 12, "VP8 "))
    return Vp8Size(payload);
  if (Has(bytes, 12, "VP8L"))
    return Vp8lSize(payload);
  if (Has(bytes, 12, "VP8X"))
    return HeaderStep::Size(LittleEndian24(payload + 4) + 1, LittleEndian24(payload + 7) + 1);
  return HeaderStep::NotKnown();
}

HeaderStep BmpSize(std::span<const std::uint8_t> bytes) {
  const std::uint8_t* info = bytes.data() + 14;
  const std::uint32_t infoSize = LittleEndian32(info);
  if (infoSize == 12)
    return HeaderStep::Size(LittleEndian16(info + 4), LittleEndian16(info + 6));
  switch (infoSize) {
    case 16:
    case 40:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124:
      break;
    default:
      return HeaderStep::NotKnown();
  }
  const auto width = static_cast<std::int32_t>(LittleEndian32(info + 4));
  const auto height = static_cast<std::int32_t>(LittleEndian32(info + 8));
  if (width <= 0 || height == INT32_MIN)
    return HeaderStep::NotKnown();
  return HeaderStep::Size(static_cast<std::uint32_t>(width),
                          static_cast<std::uint32_t>(std::abs(height)));
}

HeaderStep WebpHeader::Look(std::span<const std::uint8_t> bytes, std::uint64_t) {
  if (chunkSeen_)
    return WebpSize(bytes);
  chunkSeen_ = true;
  return HeaderStep::Read(0, Has(bytes, 12, "VP8L") ? 25 : 30);
}

}  // namespace harvel
