#include "crawl/link_extraction.h"

#include <optional>
#include <string>

#include "common/number_text.h"
#include "crawl/link_resolver.h"
#include "crawl/type_decision.h"
#include "crawl/wait_speed.h"

namespace harvel {
namespace {

bool HoldsDot(std::string_view text) {
  return text.find('.') != std::string_view::npos;
}

// One quoted link text: its resolution, its type, and whether it is queued and where.
void ExamineLink(CrawlContext& context, CrawlState& state, const LinkResolver& resolver,
                 std::string_view link) {
  std::optional<std::string> resolved = resolver.resolve(link);
  if (!resolved || resolved->size() < 4)
    return;
  const std::string& url = *resolved;
  const CrawlOptions& options = context.options;

  switch (ClassifyLink(url, options, context.userExt)) {
    case LinkType::Skip:
      return;
    case LinkType::Html:
      // Every page link taken uses up one level, even when it is dropped below.
      if (state.Level <= 0)
        return;
      --state.Level;
      break;
    case LinkType::Continue:
      break;
  }
  QueueLink(context, state, url, state.Level, IsPictureEnding(LastFour(url)));
}

}  // namespace

bool QueueLink(CrawlContext& context, CrawlState& state, const std::string& url, std::int16_t level,
               bool picture) {
  const CrawlOptions& options = context.options;
  if (options.on(Check::CommonURL) && !Contains(url, options.commonUrlText()))
    return false;
  if (state.visited.URLBufCheck(url) != 0)
    return false;
  if (state.rows.empty())
    return false;
  const bool pictureFirst = options.on(Check::PicFastDown) && picture;
  const std::size_t position = pictureFirst ? 1 : state.rows.size();
  context.insertRow(state, position, CrawlTarget{state.rows.front().title, url, DecimalText(level)},
                    state.CurURL);
  state.visited.Record(url);
  return true;
}

ScanEnd SearchStr(CrawlContext& context, CrawlState& state, std::string_view page,
                  std::string_view key) {
  const LinkResolver resolver(state.CurURL);
  std::size_t scanPos = 0;
  for (;;) {
    const std::size_t keyPos = page.find(key, scanPos);
    if (keyPos == std::string_view::npos)
      return ScanEnd::Finished;
    const std::size_t open = page.find('"', keyPos);
    if (open == std::string_view::npos)
      return ScanEnd::Finished;  // no quoted value follows
    // The next search starts inside this link text, so a key within it is found again.
    scanPos = open + 1;
    const std::size_t close = page.find('"', scanPos);
    if (close != std::string_view::npos) {
      const std::string_view link = page.substr(scanPos, close - scanPos);
      if (HoldsDot(link))
        ExamineLink(context, state, resolver, link);
    }
    WaitSpeed(context.pump, context.options);
    if (state.closed)
      return ScanEnd::Closed;
  }
}

}  // namespace harvel
