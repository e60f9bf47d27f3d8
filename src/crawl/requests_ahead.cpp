#include "crawl/requests_ahead.h"

#include <algorithm>

namespace harvel {

bool MaySendAhead(const RowPlan& plan, const CrawlOptions& options) {
  if (plan.action != RowAction::Request || plan.request.renderScrolls > 0 ||
      plan.facts.untypedPicture || options.on(Check::Renban) || options.onlyNew())
    return false;
  return !plan.pageInScope || !plan.reader->readsForLinks(plan.saveFile, plan.facts, std::nullopt);
}

bool RequestsAhead::holds(const std::string& url) const {
  return std::any_of(sent_.begin(), sent_.end(), [&](const Sent& s) { return s.url == url; });
}

bool RequestsAhead::writes(const std::string& path) const {
  return std::any_of(sent_.begin(), sent_.end(),
                     [&](const Sent& s) { return s.plan.request.path == path; });
}

std::optional<RequestsAhead::Sent> RequestsAhead::take(const std::string& url) {
  const auto found =
      std::find_if(sent_.begin(), sent_.end(), [&](const Sent& s) { return s.url == url; });
  if (found == sent_.end())
    return std::nullopt;
  Sent sent = std::move(*found);
  sent_.erase(found);
  return sent;
}

}  // namespace harvel
