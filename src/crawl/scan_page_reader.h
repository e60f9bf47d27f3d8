#pragma once

#include <string_view>

#include "crawl/crawl_options.h"
#include "crawl/file_type.h"
#include "crawl/link_resolver.h"
#include "crawl/page_reader.h"

namespace harvel {

// The four scans of a page, in their order; the record keeps each link under
// its scan's index. The href scans run only while the level allows.
inline constexpr const char* kScanKeys[] = {"src=", "SRC=", "href=", "HREF="};

// Pages read as text for the quoted values after "src=", "SRC=", "href=" and
// "HREF=" (SearchStr); names as GetFileName gives them, types by the last four
// characters, case-sensitive.
class ScanPageReader : public PageReader {
 public:
  ScanPageReader(const CrawlOptions& options, const UserExtList& userExt)
      : options_(options), userExt_(userExt) {}

  const char* name() const override { return "scan"; }
  std::string fileName(const std::string& url) const override;
  RowFacts factsOf(const CrawlState& state, const std::string& url) const override;
  bool rowWanted(std::string_view path, const RowFacts& facts,
                 const BinaryTest& isBinary) const override;
  bool readsForLinks(std::string_view saveFile, const RowFacts& facts,
                     const std::optional<std::string>& servedType) const override;
  PageFound read(const std::string& path, const std::string& pageUrl,
                 const DownloadOutcome* outcome, PageVisit& visit) const override;
  std::vector<LinkText> recordedLinks(const PageFound& page) const override;
  ScanEnd takeLinks(const PageFound& page, std::int16_t& level, PageVisit& visit) const override;
  ScanEnd takeRecorded(const PageLinks& links, const std::string& pageUrl, std::int16_t& level,
                       PageVisit& visit) const override;
  bool dropsPage(std::string_view saveFile, const RowFacts& facts,
                 const std::optional<std::string>& servedType) const override;

  // One scan of `text`, the page `pageUrl`, for `key`: each link text found is
  // taken (TakeLink) into `visit`, which is paced after every occurrence.
  ScanEnd scan(std::string_view text, const std::string& pageUrl, std::string_view key,
               std::int16_t& level, PageVisit& visit) const;

 private:
  ScanEnd scan(std::string_view text, const LinkResolver& resolver, std::string_view key,
               std::int16_t& level, PageVisit& visit) const;

  const CrawlOptions& options_;
  const UserExtList& userExt_;
};

}  // namespace harvel
