#include "crawl/link_extraction.h"

#include <optional>
#include <string>
#include <vector>

#include "common/number_text.h"
#include "crawl/crawl_scope.h"
#include "crawl/link_resolver.h"
#include "crawl/scan_page_reader.h"
#include "crawl/type_decision.h"
#include "crawl/wait_speed.h"

namespace harvel {
std::optional<TakenLink> TakeLink(const CrawlOptions& options, const UserExtList& userExt,
                                  const LinkResolver& resolver, std::string_view link,
                                  std::int16_t& level) {
  std::optional<std::string> resolved = resolver.resolve(link);
  if (!resolved || resolved->size() < 4)
    return std::nullopt;
  std::int16_t queuedLevel = level;
  switch (ClassifyLink(*resolved, options, userExt)) {
    case LinkType::Skip:
      return std::nullopt;
    case LinkType::Html: {
      // Every page link taken uses up one level, even when it is dropped below.
      // With all links on the level is never lowered: it is the row's.
      const std::optional<std::int16_t> pageLevel = PageLinkLevel(options, level, level);
      if (!pageLevel)
        return std::nullopt;
      queuedLevel = *pageLevel;
      break;
    }
    case LinkType::Continue:
      break;
  }
  const bool picture = IsPictureEnding(LastFour(*resolved));
  return TakenLink{std::move(*resolved), queuedLevel, picture, {}};
}

void CrawlRowVisit::take(const TakenLink& link) {
  context_.queueLink(state_, link);
}

bool CrawlRowVisit::paced() {
  WaitSpeed(context_.pump, context_.options);
  return !state_.closed;
}

ScanEnd SearchStr(CrawlContext& context, CrawlState& state, std::string_view page,
                  std::string_view key) {
  CrawlRowVisit visit(context, state);
  return ScanPageReader(context.options, context.userExt)
      .scan(page, state.CurURL, key, state.Level, visit);
}

std::vector<std::string> FindLinkTexts(std::string_view page, std::string_view key) {
  std::vector<std::string> links;
  ScanForKey(
      page, key, [&](std::string_view link) { links.emplace_back(link); }, [] { return true; });
  return links;
}

}  // namespace harvel
