#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace harvel {

// What a crawl with modern pages keeps beside the crawl list.
struct ModernCrawlState {
  // Every local path this crawl has stored a URL under, and that URL: a second
  // URL never overwrites the first one's file.
  std::unordered_map<std::string, std::string> pathOwners;
  // For a path taken by another URL: the number its next numbered name is
  // looked for from, so that many pages named index.html cost no more each.
  std::unordered_map<std::string, int> nextNumber;
  // Pictures queued without a known ending: kept only when they turn out to be
  // pictures, named with their type's ending.
  std::unordered_set<std::string> untypedPictures;
  // Page links whose names do not say "page" (board.php?id=5): read when the
  // server calls them HTML.
  std::unordered_set<std::string> scriptPages;
};

}  // namespace harvel
