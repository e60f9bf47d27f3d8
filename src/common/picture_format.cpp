#include "common/picture_format.h"

#include "common/ascii_text.h"

namespace harvel {

const PictureEnding* FindPictureEnding(std::string_view ending) {
  for (const PictureEnding& row : kPictureEndings) {
    if (EqualsIgnoringAsciiCase(row.ending, ending))
      return &row;
  }
  return nullptr;
}

std::optional<PictureFormat> PictureFormatOfSignature(std::string_view head) {
  // The `length` bytes at `at`, fewer (or none) where the head is shorter.
  const auto part = [head](std::size_t at, std::size_t length) {
    return at <= head.size() ? head.substr(at, length) : std::string_view();
  };
  if (head.starts_with("GIF87a") || head.starts_with("GIF89a"))
    return PictureFormat::Gif;
  if (head.starts_with("\x89PNG\r\n\x1A\n"))
    return PictureFormat::Png;
  if (head.starts_with("\xFF\xD8\xFF"))
    return PictureFormat::Jpeg;
  if (head.starts_with("RIFF") && part(8, 4) == "WEBP")
    return PictureFormat::Webp;
  if (part(4, 4) == "ftyp")
    return part(8, 4) == "avif" || part(8, 4) == "avis" ? PictureFormat::Avif : PictureFormat::Heif;
  if (head.starts_with("BM"))
    return PictureFormat::Bmp;
  if (head.starts_with(std::string_view("\0\0\1\0", 4)))
    return PictureFormat::Ico;
  return std::nullopt;
}

std::optional<PictureFormat> PictureFormatOfSignature(std::span<const unsigned char> head) {
  return PictureFormatOfSignature(
      std::string_view(reinterpret_cast<const char*>(head.data()), head.size()));
}

}  // namespace harvel
