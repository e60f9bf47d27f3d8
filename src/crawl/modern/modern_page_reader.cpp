#include "crawl/modern/modern_page_reader.h"

#include <utility>

#include "crawl/modern/background_references.h"
#include "crawl/modern/modern_file_name.h"
#include "crawl/modern/modern_links.h"
#include "crawl/modern/modern_types.h"
#include "crawl/modern/untyped_picture.h"
#include "crawl/modern/url_ending.h"
#include "crawl/next_page_link.h"

namespace harvel {
namespace {

std::string NameEndingOf(std::string_view saveFile) {
  return NameEnding(saveFile.substr(saveFile.rfind('/') + 1));
}

bool HasPageEnding(std::string_view saveFile) {
  const std::string ending = NameEndingOf(saveFile);
  return IsPageTypeEnding(ending) || ending == "cgi";
}

}  // namespace

std::string ModernPageReader::fileName(const std::string& url) const {
  return ModernFileName(url);
}

RowFacts ModernPageReader::factsOf(const CrawlState& state, const std::string& url) const {
  return FactsOf(state, url);
}

bool ModernPageReader::rowWanted(std::string_view path, const RowFacts& facts,
                                 const BinaryTest& isBinary) const {
  return ModernRowWanted(path, facts, options_, userExt_, isBinary);
}

bool ModernPageReader::servedAsPage(const RowFacts& facts,
                                    const std::optional<std::string>& servedType) const {
  return servedType && (facts.typedRow || facts.scriptPage) && IsHtmlContentType(*servedType);
}

bool ModernPageReader::readsForLinks(std::string_view saveFile, const RowFacts& facts,
                                     const std::optional<std::string>& servedType) const {
  if (HasPageEnding(saveFile))
    return true;
  if (!servedType)
    return facts.scriptPage;  // a page once the server calls it HTML
  return servedAsPage(facts, servedType);
}

void ModernPageReader::settleLanded(CrawlContext& context, CrawlState& state) const {
  SettleUntypedPicture(context, state);
}

PageFound ModernPageReader::read(const std::string& path, const std::string& pageUrl,
                                 const DownloadOutcome* /*outcome*/, PageVisit& visit) const {
  PageFound page;
  page.url = pageUrl;
  std::optional<std::string> text = ReadModernPageFile(path);
  if (!text)
    return page;
  if (options_.nextPages() > 0 || options_.onlyNew())
    page.nextPage = ModernNextPageLink(*text, pageUrl);
  if (const std::optional<PageVisit::Waiting> waiting = visit.waiting()) {
    std::optional<std::vector<PageReference>> references =
        ReadPageReferencesAside(waiting->pump, waiting->closed, std::move(*text), pageUrl);
    if (!references) {
      page.end = PageRead::Stopped;
      return page;
    }
    page.references = std::move(*references);
  } else {
    page.references = ReadPageReferences(*text, pageUrl);
  }
  page.end = PageRead::Read;
  return page;
}

std::vector<LinkText> ModernPageReader::recordedLinks(const PageFound& page) const {
  std::vector<LinkText> links;
  for (const PageReference& reference : page.references)
    links.push_back(LinkText{static_cast<int>(reference.kind), reference.url});
  if (page.nextPage)
    links.push_back(LinkText{kNextPageLinkKind, *page.nextPage});
  return links;
}

ScanEnd ModernPageReader::takeLinks(const PageFound& page, std::int16_t& level,
                                    PageVisit& visit) const {
  const std::int16_t rowLevel = level;
  for (const PageReference& reference : page.references) {
    if (reference.kind == ReferenceKind::Link && rowLevel <= 0)
      continue;  // a page of level 0 follows no href
    if (std::optional<TakenLink> taken =
            TakeReference(options_, userExt_, reference, rowLevel, level))
      visit.take(*taken);
    if (!visit.paced())
      return ScanEnd::Closed;
  }
  return ScanEnd::Finished;
}

ScanEnd ModernPageReader::takeRecorded(const PageLinks& links, const std::string& pageUrl,
                                       std::int16_t& level, PageVisit& visit) const {
  if (links.reader != name())
    return ScanEnd::Finished;
  PageFound page;
  page.url = pageUrl;
  page.end = PageRead::Read;
  for (const LinkText& link : links.links) {
    if (link.kind >= 0 && link.kind <= static_cast<int>(ReferenceKind::Frame))
      page.references.push_back(PageReference{static_cast<ReferenceKind>(link.kind), link.text});
  }
  return takeLinks(page, level, visit);
}

bool ModernPageReader::dropsPage(std::string_view saveFile, const RowFacts& facts,
                                 const std::optional<std::string>& servedType) const {
  // The HTML keep rule, with the ending in any case; a page that the server
  // called HTML whatever its name is kept or dropped as an HTML page.
  if (!HasPageEnding(saveFile) && servedAsPage(facts, servedType)) {
    if (options_.on(Check::UserSet))
      return !UserListWants(saveFile.substr(saveFile.rfind('/') + 1), userExt_);
    return !options_.on(Check::Htm);
  }
  return PageIsDropped(AsciiLower(saveFile), options_, userExt_);
}

}  // namespace harvel
