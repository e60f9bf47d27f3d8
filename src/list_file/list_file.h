#pragma once

#include <string>
#include <vector>

#include "common/crawl_target.h"

namespace harvel {

// LoadListFile: appends the rows stored in the list file at `path` (UTF-8) to
// `rows`, after those already there. An empty name, or a file that cannot be
// read, adds nothing and gives false.
bool LoadListFile(const std::string& path, std::vector<CrawlTarget>& rows);

// SaveListFile: writes every row into the list file at `path`, keeping the
// file's other lines. An empty name writes no file and gives false; a file that
// cannot be written is left as it was and gives false.
bool SaveListFile(const std::string& path, const std::vector<CrawlTarget>& rows);

}  // namespace harvel
