#include "crawl/rendered_page_reader.h"

#include <set>

#include "common/url_parts.h"

namespace harvel {

void RenderedPageReader::prepareRequest(FileRequest& request, bool page) const {
  if (page)
    request.renderScrolls = options_.renderScrolls();
}

bool RenderedPageReader::fetchedAhead(std::string_view saveFile, const RowFacts& facts) const {
  // The browser fetches a page itself; a copy fetched ahead would be fetched twice.
  return !readsForLinks(saveFile, facts, std::nullopt);
}

PageFound RenderedPageReader::read(const std::string& path, const std::string& pageUrl,
                                   const DownloadOutcome* outcome, PageVisit& visit) const {
  PageFound page = ModernPageReader::read(path, pageUrl, outcome, visit);
  if (page.end != PageRead::Read || outcome == nullptr || !outcome->rendered)
    return page;
  std::set<std::string> named;
  for (const PageReference& reference : page.references) {
    if (reference.kind == ReferenceKind::Picture || reference.kind == ReferenceKind::Icon)
      named.insert(reference.url);
  }
  for (const std::string& picture : outcome->pictures) {
    // Only pictures with a web address: a data: or blob: one has nothing to fetch.
    const std::string scheme = UrlScheme(picture);
    if ((scheme == "http" || scheme == "https") && named.insert(picture).second)
      page.references.push_back(PageReference{ReferenceKind::Picture, picture});
  }
  return page;
}

}  // namespace harvel
