#include "crawl/crawl_scope.h"

#include "common/site.h"
#include "crawl/url_rules.h"

namespace harvel {

std::optional<std::string> ScopeRefusal(const CrawlOptions& options, const std::string& url,
                                        const std::string& referer, bool page) {
  if (referer.empty())
    return std::nullopt;
  if (page && options.sameSite() && !OnSameSite(url, referer))
    return "a page of another site (site only)";
  if (const std::shared_ptr<const UrlRules> rules = options.urlRules()) {
    const UrlRules::Verdict verdict = rules->judge(url, page);
    if (!verdict.taken)
      return UrlRules::RefusalText(verdict);
  }
  return std::nullopt;
}

std::optional<std::int16_t> PageLinkLevel(const CrawlOptions& options, std::int16_t rowLevel,
                                          std::int16_t& level) {
  if (options.allLinks()) {
    if (rowLevel <= 0)
      return std::nullopt;
    return static_cast<std::int16_t>(rowLevel - 1);
  }
  if (level <= 0)
    return std::nullopt;
  return --level;
}

}  // namespace harvel
