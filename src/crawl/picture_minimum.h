#pragma once

#include <string>
#include <string_view>

#include "common/picture_size.h"
#include "crawl/crawl_options.h"

namespace harvel {

// The smallest picture the downloader is to keep for the row with the local
// file `saveFile`: the option's minimum for a picture (a name ending in a
// picture type, in any case, or an `untypedPicture`, fetched without a known
// ending); 0 × 0, not judged, for any other row: pages read for links are
// never judged.
PictureSize MinimumPictureFor(std::string_view saveFile, bool untypedPicture,
                              const CrawlOptions& options);

}  // namespace harvel
