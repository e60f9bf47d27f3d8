#include "crawl/next_pages.h"

#include "crawl/page_reader.h"

namespace harvel {

int TakeNextPageChain(CrawlState& state, const std::string& url) {
  const auto found = state.nextPageChain.find(url);
  if (found == state.nextPageChain.end())
    return 0;
  const int chain = found->second;
  state.nextPageChain.erase(found);
  return chain;
}

void QueueNextPage(CrawlContext& context, CrawlState& state, const std::optional<std::string>& next,
                   int chain) {
  if (!next || chain >= context.options.nextPages())
    return;
  if (context.queueLink(state, TakenLink{*next, state.Level, false, {}}))
    state.nextPageChain[*next] = chain + 1;
}

}  // namespace harvel
