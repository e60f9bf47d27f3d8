#pragma once

#include "crawl/crawl_state.h"

namespace harvel {

// The row's file (state.SaveFile) landed and was counted, but is not kept after
// all (a page read only for its links, a file that proved to be no picture):
// it is removed and no longer counted.
void DropLandedFile(CrawlState& state);

}  // namespace harvel
