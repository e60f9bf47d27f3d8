#include "crawl/picture_minimum.h"

#include "common/picture_format.h"
#include "crawl/modern/url_ending.h"

namespace harvel {

PictureSize MinimumPictureFor(std::string_view saveFile, bool untypedPicture,
                              const CrawlOptions& options) {
  const PictureSize minimum = options.minimumPicture();
  if (!minimum.isSet())
    return {};
  const std::size_t slash = saveFile.rfind('/');
  const std::string_view name =
      slash == std::string_view::npos ? saveFile : saveFile.substr(slash + 1);
  // The picture types whose headers the downloader reads, and SVG, which it
  // keeps as it cannot judge one.
  const PictureEnding* ending = FindPictureEnding(NameEnding(name));
  if ((ending != nullptr && ending->minimumSize) || untypedPicture)
    return minimum;
  return {};
}

}  // namespace harvel
