#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "common/picture_size.h"

namespace harvel {

// No header is read past the first 1 MiB of its file.
constexpr std::uint64_t kHeaderReadLimit = 1024 * 1024;

// What a format's header reader wants after looking at the bytes it asked for:
// more bytes (a number of them, after moving past some), or its answer.
struct HeaderStep {
  enum class Kind { Read, Size, NotKnown };

  Kind kind = Kind::NotKnown;
  // Bytes to move past, counted from the first byte of those just looked at:
  // fewer than were looked at looks at some again, more skips unread bytes.
  std::uint64_t advance = 0;
  std::size_t read = 0;           // bytes the next look needs, from there on
  PictureSize size;               // as the picture is shown: turned and cropped
  bool turned = false;            // shown a quarter turn from how it is stored: the sides swapped
  bool wholePictureKept = false;  // a decoder keeps every coefficient (progressive JPEG)

  static HeaderStep Read(std::uint64_t advance, std::size_t read) {
    HeaderStep step;
    step.kind = Kind::Read;
    step.advance = advance;
    step.read = read;
    return step;
  }
  static HeaderStep Size(std::uint32_t width, std::uint32_t height) {
    if (width == 0 || height == 0)
      return NotKnown();
    HeaderStep step;
    step.kind = Kind::Size;
    step.size = {width, height};
    return step;
  }
  static HeaderStep NotKnown() { return {}; }
};

// One format's header, read a piece at a time. Look() gets exactly the bytes
// the previous step asked for, the first of them at `offset` in the file.
class FormatHeader {
 public:
  virtual ~FormatHeader() = default;
  virtual HeaderStep First() const = 0;
  virtual HeaderStep Look(std::span<const std::uint8_t> bytes, std::uint64_t offset) = 0;
};

inline std::uint16_t BigEndian16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}
inline std::uint32_t BigEndian32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}
inline std::uint64_t BigEndian64(const std::uint8_t* p) {
  return std::uint64_t{BigEndian32(p)} << 32 | BigEndian32(p + 4);
}
inline std::uint16_t LittleEndian16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[1] << 8 | p[0]);
}
inline std::uint32_t LittleEndian24(const std::uint8_t* p) {
  return std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
}
inline std::uint32_t LittleEndian32(const std::uint8_t* p) {
  return std::uint32_t{p[3]} << 24 | LittleEndian24(p);
}

}  // namespace harvel
