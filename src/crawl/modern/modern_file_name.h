#pragma once

#include <optional>
#include <string>

#include "crawl/crawl_options.h"
#include "crawl/modern/modern_state.h"

namespace harvel {

// The local name of a URL with modern pages on: the last path segment without
// query or fragment, percent-decoded when that gives UTF-8, with characters a
// file system refuses and invisible format characters replaced by "_", at most
// 200 bytes. "index.html" for a URL whose path ends with "/" or that has no
// path; never "", "." or "..".
std::string ModernFileName(const std::string& url);

// The name `url` takes at `saveFile` so that no other URL of this crawl has
// landed there: `saveFile` itself, or the first numbered name that no URL owns
// and no file holds. Changes nothing; nullopt when every number is taken.
struct SaveFileClaim {
  std::string path;
  int number = 0;  // the number put into `path`, 0 for `saveFile` itself
};
std::optional<SaveFileClaim> UnclaimedSaveFile(const ModernCrawlState& modern,
                                               const std::string& saveFile, const std::string& url);
// Records `url` as the owner of the name `claim` found for `saveFile`.
void RecordClaim(ModernCrawlState& modern, const std::string& saveFile, const SaveFileClaim& claim,
                 const std::string& url);

}  // namespace harvel
