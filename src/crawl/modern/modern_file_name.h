#pragma once

#include <string>

#include "crawl/crawl_options.h"
#include "crawl/crawl_state.h"

namespace harvel {

// The local name of a URL with modern pages on: the last path segment without
// query or fragment, percent-decoded when that gives UTF-8, with characters a
// file system refuses and invisible format characters replaced by "_", at most
// 200 bytes. "index.html" for a URL whose path ends with "/" or that has no
// path; never "", "." or "..".
std::string ModernFileName(const std::string& url);

// GetFileName, or ModernFileName while modern pages are on.
std::string RowFileName(const CrawlOptions& options, const std::string& url);

// Makes sure no other URL of this crawl has landed at `state.SaveFile`: if one
// has, SaveFile becomes the first numbered name that no URL owns and no file
// holds. Then records CurURL as its owner. False when every number is taken.
bool ClaimSaveFile(CrawlState& state);

}  // namespace harvel
