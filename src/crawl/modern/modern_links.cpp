#include "crawl/modern/modern_links.h"

#include <algorithm>
#include <array>

#include "common/path_text.h"
#include "common/regular_file.h"
#include "crawl/crawl_scope.h"
#include "crawl/link_extraction.h"
#include "crawl/modern/modern_page_reader.h"
#include "crawl/modern/modern_types.h"
#include "crawl/modern/url_ending.h"
#include "crawl/type_decision.h"

namespace harvel {

std::optional<TakenLink> TakeReference(const CrawlOptions& options, const UserExtList& userExt,
                                       const PageReference& reference, std::int16_t rowLevel,
                                       std::int16_t& level) {
  const ReferenceType type = ClassifyReference(reference, options, userExt);
  if (type == ReferenceType::Skip)
    return std::nullopt;
  std::int16_t queuedLevel = level;
  if (type == ReferenceType::Html) {
    if (reference.kind == ReferenceKind::Frame) {
      if (rowLevel <= 0)
        return std::nullopt;
      queuedLevel = static_cast<std::int16_t>(rowLevel - 1);
    } else {
      // Every page link taken uses up one level, even when it is dropped below.
      const std::optional<std::int16_t> pageLevel = PageLinkLevel(options, rowLevel, level);
      if (!pageLevel)
        return std::nullopt;
      queuedLevel = *pageLevel;
    }
  }
  const std::string& url = reference.url;
  TakenLink taken;
  taken.url = url;
  taken.level = queuedLevel;
  taken.picture = type == ReferenceType::Untyped ||
                  IsPictureTypeEnding(UrlEnding(url), reference.kind == ReferenceKind::Icon);
  taken.facts.untypedPicture = type == ReferenceType::Untyped;
  taken.facts.scriptPage = type == ReferenceType::Html && IsScriptPageEnding(UrlEnding(url));
  return taken;
}

std::optional<std::string> ReadModernPageFile(const std::string& path) {
  RegularFile in = RegularFile::Open(PathFromText(path));
  if (!in)
    return std::nullopt;  // a pipe or a device could block the crawl
  // Room for the file as it is now; a file that grows meanwhile is read on,
  // still only up to the limit.
  std::string page;
  const auto size = static_cast<std::uintmax_t>(std::max<off_t>(in.status().st_size, 0));
  page.reserve(static_cast<std::size_t>(std::min<std::uintmax_t>(size, kModernPageLimit)));
  std::array<char, 64 * 1024> block;
  while (page.size() < kModernPageLimit) {
    const std::optional<std::size_t> read =
        in.read(block.data(), std::min(block.size(), kModernPageLimit - page.size()));
    if (!read)
      return std::nullopt;
    if (*read == 0)
      break;
    page.append(block.data(), *read);
  }
  return page;
}

ScanEnd QueueReferences(CrawlContext& context, CrawlState& state,
                        const std::vector<PageReference>& references) {
  PageFound page;
  page.url = state.CurURL;
  page.end = PageRead::Read;
  page.references = references;
  CrawlRowVisit visit(context, state);
  return ModernPageReader(context.options, context.userExt).takeLinks(page, state.Level, visit);
}

}  // namespace harvel
