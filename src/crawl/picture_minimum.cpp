#include "crawl/picture_minimum.h"

#include <array>

#include "crawl/modern/url_ending.h"

namespace harvel {
namespace {

// The picture types: those whose headers the downloader reads, and SVG, which
// it keeps as it cannot judge one.
bool IsJudgedEnding(std::string_view ending) {
  static constexpr std::array<std::string_view, 12> kJudged = {
      "gif", "jpg", "jpeg", "jpe", "png", "webp", "avif", "heic", "heif", "bmp", "ico", "svg"};
  for (const std::string_view judged : kJudged) {
    if (ending == judged)
      return true;
  }
  return false;
}

}  // namespace

PictureSize MinimumPictureFor(std::string_view saveFile, bool untypedPicture,
                              const CrawlOptions& options) {
  const PictureSize minimum = options.minimumPicture();
  if (!minimum.isSet())
    return {};
  const std::size_t slash = saveFile.rfind('/');
  const std::string_view name =
      slash == std::string_view::npos ? saveFile : saveFile.substr(slash + 1);
  if (IsJudgedEnding(NameEnding(name)) || untypedPicture)
    return minimum;
  return {};
}

}  // namespace harvel
