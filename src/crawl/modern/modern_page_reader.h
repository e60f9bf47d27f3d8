#pragma once

#include <string_view>

#include "crawl/crawl_options.h"
#include "crawl/file_type.h"
#include "crawl/page_reader.h"

namespace harvel {

// Pages read with an HTML5 parser for every reference they hold (srcset, CSS,
// lazy loading, frames ...); names without queries, owned by one URL each;
// types by the path's ending in any case, with the newer picture types, and
// pictures or script pages whose type is known only once they land.
class ModernPageReader : public PageReader {
 public:
  ModernPageReader(const CrawlOptions& options, const UserExtList& userExt)
      : options_(options), userExt_(userExt) {}

  const char* name() const override { return "modern"; }
  std::string fileName(const std::string& url) const override;
  bool namesFilesPerUrl() const override { return true; }
  RowFacts factsOf(const CrawlState& state, const std::string& url) const override;
  bool rowWanted(std::string_view path, const RowFacts& facts,
                 const BinaryTest& isBinary) const override;
  bool readsForLinks(std::string_view saveFile, const RowFacts& facts,
                     const std::optional<std::string>& servedType) const override;
  void settleLanded(CrawlContext& context, CrawlState& state) const override;
  PageFound read(const std::string& path, const std::string& pageUrl,
                 const DownloadOutcome* outcome, PageVisit& visit) const override;
  std::vector<LinkText> recordedLinks(const PageFound& page) const override;
  ScanEnd takeLinks(const PageFound& page, std::int16_t& level, PageVisit& visit) const override;
  ScanEnd takeRecorded(const PageLinks& links, const std::string& pageUrl, std::int16_t& level,
                       PageVisit& visit) const override;
  bool dropsPage(std::string_view saveFile, const RowFacts& facts,
                 const std::optional<std::string>& servedType) const override;

 private:
  // A page whose name does not say "page", read because the server called it
  // HTML: a row the user started, or a server program's page.
  bool servedAsPage(const RowFacts& facts, const std::optional<std::string>& servedType) const;

  const CrawlOptions& options_;
  const UserExtList& userExt_;
};

}  // namespace harvel
