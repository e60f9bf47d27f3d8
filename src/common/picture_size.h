#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace harvel {

// A picture's width and height in pixels; also the smallest picture a crawl
// keeps, where 0 × 0 means that every picture is kept.
struct PictureSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;

  bool isSet() const { return width != 0 || height != 0; }
  bool operator==(const PictureSize&) const = default;
};

// "400x300" (an upper-case X too), or "400" for 400 × 400; "0" is 0 × 0. Each
// number is plain decimal up to 1000000. nullopt for any other text.
std::optional<PictureSize> ParsePictureSize(std::string_view text);

// A picture's own size as PictureSizeText writes it: "400x300", each side
// any 32-bit number (a header may claim 4294967295 pixels). nullopt otherwise.
std::optional<PictureSize> ParseReadPictureSize(std::string_view text);

// "400x300".
std::string PictureSizeText(PictureSize size);

// True when `picture` falls short of `minimum` in its width or its height.
bool IsSmallerThan(PictureSize picture, PictureSize minimum);

}  // namespace harvel
