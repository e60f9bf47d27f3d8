#pragma once

#include "crawl/crawl_options.h"
#include "crawl/file_type.h"
#include "crawl/modern/modern_page_reader.h"
#include "crawl/page_reader.h"
#include "crawl/scan_page_reader.h"

namespace harvel {

// The ways a crawl can read its pages, and the one choice between them.
class PageReaders {
 public:
  PageReaders(const CrawlOptions& options, const UserExtList& userExt)
      : options_(options), scan_(options, userExt), modern_(options, userExt) {}

  // The reader of a row, chosen once when the row is planned: everything
  // about the row that depends on how pages are read is asked of it.
  const PageReader& forRow() const;

 private:
  const CrawlOptions& options_;
  ScanPageReader scan_;
  ModernPageReader modern_;
};

}  // namespace harvel
