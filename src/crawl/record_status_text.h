#pragma once

#include <string>

#include "crawl/collected_files.h"

namespace harvel {

// Opens the record of `folder` through `collected`; without any, the record
// is unusable.
RecordStatus OpenRecord(CollectedFiles* collected, const std::string& folder);

// What the crawl window says of a record that was moved aside or cannot be
// used: one line in Japanese, with the paths and the reason.
std::string RecordStatusText(const RecordStatus& status);

}  // namespace harvel
