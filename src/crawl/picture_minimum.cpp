#include "crawl/picture_minimum.h"

#include "common/picture_format.h"
#include "crawl/modern/url_ending.h"

namespace harvel {

PictureSize MinimumPictureFor(std::string_view saveFile, const std::string& url,
                              const CrawlState& state, const CrawlOptions& options) {
  const PictureSize minimum = options.minimumPicture();
  if (!minimum.isSet())
    return {};
  const std::size_t slash = saveFile.rfind('/');
  const std::string_view name =
      slash == std::string_view::npos ? saveFile : saveFile.substr(slash + 1);
  // The picture types whose headers the downloader reads, and SVG, which it
  // keeps as it cannot judge one.
  if (const PictureEnding* ending = FindPictureEnding(NameEnding(name));
      ending != nullptr && ending->minimumSize)
    return minimum;
  if (options.on(Check::ModernPages) && state.modern.untypedPictures.contains(url))
    return minimum;
  return {};
}

}  // namespace harvel
