#include "common/picture_size.h"

namespace harvel {
namespace {

constexpr std::uint32_t kLargestSide = 1000000;

std::optional<std::uint32_t> ParseSide(std::string_view text,
                                       std::uint64_t largest = kLargestSide) {
  if (text.empty() || text.size() > 10)
    return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9')
      return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > largest)
    return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

}  // namespace

std::optional<PictureSize> ParsePictureSize(std::string_view text) {
  const std::size_t cross = text.find_first_of("xX");
  if (cross == std::string_view::npos) {
    const std::optional<std::uint32_t> side = ParseSide(text);
    if (!side)
      return std::nullopt;
    return PictureSize{*side, *side};
  }
  const std::optional<std::uint32_t> width = ParseSide(text.substr(0, cross));
  const std::optional<std::uint32_t> height = ParseSide(text.substr(cross + 1));
  if (!width || !height)
    return std::nullopt;
  return PictureSize{*width, *height};
}

std::optional<PictureSize> ParseReadPictureSize(std::string_view text) {
  constexpr std::uint64_t kAnySide = UINT32_MAX;
  const std::size_t cross = text.find('x');
  if (cross == std::string_view::npos)
    return std::nullopt;
  const std::optional<std::uint32_t> width = ParseSide(text.substr(0, cross), kAnySide);
  const std::optional<std::uint32_t> height = ParseSide(text.substr(cross + 1), kAnySide);
  if (!width || !height)
    return std::nullopt;
  return PictureSize{*width, *height};
}

std::string PictureSizeText(PictureSize size) {
  return std::to_string(size.width) + "x" + std::to_string(size.height);
}

bool IsSmallerThan(PictureSize picture, PictureSize minimum) {
  return picture.width < minimum.width || picture.height < minimum.height;
}

}  // namespace harvel
