#include "crawl/scan_page_reader.h"

#include <optional>

#include "crawl/file_name.h"
#include "crawl/link_extraction.h"
#include "crawl/link_resolver.h"
#include "crawl/next_page_link.h"

namespace harvel {
namespace {

constexpr std::size_t kFirstHrefKey = 2;

// Runs `scanKey` for each scan key in order. Both href scans run only when
// the level, lowered by the page links of the "src=" scans, is still above 0
// after them.
template <typename ScanKey>
ScanEnd EachScan(const std::int16_t& level, ScanKey scanKey) {
  for (std::size_t key = 0; key < std::size(kScanKeys); ++key) {
    if (key == kFirstHrefKey && level <= 0)
      break;
    if (scanKey(key) == ScanEnd::Closed)
      return ScanEnd::Closed;
  }
  return ScanEnd::Finished;
}

}  // namespace

std::string ScanPageReader::fileName(const std::string& url) const {
  return GetFileName(url);
}

RowFacts ScanPageReader::factsOf(const CrawlState& /*state*/, const std::string& /*url*/) const {
  return {};  // a scanned page tells nothing of its links beyond their URLs
}

bool ScanPageReader::rowWanted(std::string_view path, const RowFacts& /*facts*/,
                               const BinaryTest& isBinary) const {
  return RowIsWanted(path, options_, userExt_, isBinary);
}

bool ScanPageReader::readsForLinks(std::string_view saveFile, const RowFacts& /*facts*/,
                                   const std::optional<std::string>& /*servedType*/) const {
  return IsPageEnding(LastFour(saveFile));
}

PageFound ScanPageReader::read(const std::string& path, const std::string& pageUrl,
                               const DownloadOutcome* /*outcome*/, PageVisit& visit) const {
  PageFound page;
  page.url = pageUrl;
  page.end = ReadPage(path, page.text, [&visit] { return visit.paced(); });
  if (page.end == PageRead::Read && (options_.nextPages() > 0 || options_.onlyNew()))
    page.nextPage = NextPageLink(page.text, pageUrl);
  return page;
}

std::vector<LinkText> ScanPageReader::recordedLinks(const PageFound& page) const {
  std::vector<LinkText> links;
  if (page.end != PageRead::Read)
    return links;
  for (std::size_t key = 0; key < std::size(kScanKeys); ++key) {
    for (std::string& text : FindLinkTexts(page.text, kScanKeys[key]))
      links.push_back(LinkText{static_cast<int>(key), std::move(text)});
  }
  if (page.nextPage)
    links.push_back(LinkText{kNextPageLinkKind, *page.nextPage});
  return links;
}

ScanEnd ScanPageReader::scan(std::string_view text, const std::string& pageUrl,
                             std::string_view key, std::int16_t& level, PageVisit& visit) const {
  return scan(text, LinkResolver(pageUrl), key, level, visit);
}

ScanEnd ScanPageReader::scan(std::string_view text, const LinkResolver& resolver,
                             std::string_view key, std::int16_t& level, PageVisit& visit) const {
  return ScanForKey(
      text, key,
      [&](std::string_view link) {
        if (std::optional<TakenLink> taken = TakeLink(options_, userExt_, resolver, link, level))
          visit.take(*taken);
      },
      [&] { return visit.paced(); });
}

ScanEnd ScanPageReader::takeLinks(const PageFound& page, std::int16_t& level,
                                  PageVisit& visit) const {
  const LinkResolver resolver(page.url);
  return EachScan(level, [&](std::size_t key) {
    return scan(page.text, resolver, kScanKeys[key], level, visit);
  });
}

ScanEnd ScanPageReader::takeRecorded(const PageLinks& links, const std::string& pageUrl,
                                     std::int16_t& level, PageVisit& visit) const {
  if (links.reader != name())
    return ScanEnd::Finished;
  const LinkResolver resolver(pageUrl);
  return EachScan(level, [&](std::size_t key) {
    for (const LinkText& link : links.links) {
      if (link.kind != static_cast<int>(key))
        continue;
      if (std::optional<TakenLink> taken = TakeLink(options_, userExt_, resolver, link.text, level))
        visit.take(*taken);
      if (!visit.paced())
        return ScanEnd::Closed;
    }
    return ScanEnd::Finished;
  });
}

bool ScanPageReader::dropsPage(std::string_view saveFile, const RowFacts& /*facts*/,
                               const std::optional<std::string>& /*servedType*/) const {
  return PageIsDropped(saveFile, options_, userExt_);
}

}  // namespace harvel
