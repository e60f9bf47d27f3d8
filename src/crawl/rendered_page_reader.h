#pragma once

#include "crawl/modern/modern_page_reader.h"

namespace harvel {

// Pages read as the browser showed them (ブラウザで表示してから読む): every page
// read for links is asked of the downloader to be opened in its browser and
// scrolled down (FileRequest::renderScrolls), never fetched ahead; the
// document that lands is read by the modern reader, and every picture the
// page loaded meanwhile is taken as a picture of the page, after what the
// document names. Everything else (names, types, levels, filters, the keep
// rule) is the modern reader's.
class RenderedPageReader : public ModernPageReader {
 public:
  RenderedPageReader(const CrawlOptions& options, const UserExtList& userExt)
      : ModernPageReader(options, userExt), options_(options) {}

  const char* name() const override { return "rendered"; }
  void prepareRequest(FileRequest& request, bool page) const override;
  bool fetchedAhead(std::string_view saveFile, const RowFacts& facts) const override;
  PageFound read(const std::string& path, const std::string& pageUrl,
                 const DownloadOutcome* outcome, PageVisit& visit) const override;

 private:
  const CrawlOptions& options_;
};

}  // namespace harvel
