#pragma once

#include <string>
#include <string_view>

#include "common/picture_size.h"
#include "crawl/crawl_options.h"
#include "crawl/crawl_state.h"

namespace harvel {

// The smallest picture the downloader is to keep for the row with the URL `url`
// and the local file `saveFile`: the option's minimum for a picture (a name
// ending in a picture type, in any case, or with modern pages on a picture
// fetched without a known ending); 0 × 0, not judged, for any other row:
// pages read for links are never judged.
PictureSize MinimumPictureFor(std::string_view saveFile, const std::string& url,
                              const CrawlState& state, const CrawlOptions& options);

}  // namespace harvel
