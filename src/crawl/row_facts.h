#pragma once

namespace harvel {

// What is known of a row beside its URL and its name: what the page that
// queued it said of it (a reader that tells nothing leaves both unset), and
// whether the user started it.
struct RowFacts {
  bool untypedPicture = false;  // a picture without a known ending
  bool scriptPage = false;      // a page link whose name does not say "page"
  // A row of the crawl list that no page brought (the user started it).
  bool typedRow = false;
};

}  // namespace harvel
