#pragma once

#include "crawl/request_record.h"

namespace harvel {

// Whether a request brought a picture: it landed, and it came as image/*, or,
// where the type tells nothing (none was sent, a generic binary type, an older
// downloader), its file name ends as a picture's does.
bool IsLandedPicture(const RequestRecord& record);

}  // namespace harvel
