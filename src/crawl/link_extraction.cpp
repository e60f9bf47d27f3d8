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

// Calls `visit` for each occurrence of `key` that a double quote follows, with
// the link text it holds: the text up to the next double quote, when there is
// one and the text holds a "."; an empty text when it holds no link. The next
// search starts inside that text, so a key within it is found again. False
// when `visit` asked to stop.
template <typename Visit>
bool ScanOccurrences(std::string_view page, std::string_view key, Visit visit) {
  std::size_t scanPos = 0;
  for (;;) {
    const std::size_t keyPos = page.find(key, scanPos);
    if (keyPos == std::string_view::npos)
      return true;
    const std::size_t open = page.find('"', keyPos);
    if (open == std::string_view::npos)
      return true;  // no quoted value follows
    scanPos = open + 1;
    const std::size_t close = page.find('"', scanPos);
    std::string_view link;
    if (close != std::string_view::npos && HoldsDot(page.substr(scanPos, close - scanPos)))
      link = page.substr(scanPos, close - scanPos);
    if (!visit(link))
      return false;
  }
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
  const bool finished = ScanOccurrences(page, key, [&](std::string_view link) {
    if (!link.empty())
      ExamineLink(context, state, resolver, link);
    WaitSpeed(context.pump, context.options);
    return !state.closed;
  });
  return finished ? ScanEnd::Finished : ScanEnd::Closed;
}

std::vector<std::string> FindLinkTexts(std::string_view page, std::string_view key) {
  std::vector<std::string> links;
  ScanOccurrences(page, key, [&](std::string_view link) {
    if (!link.empty())
      links.emplace_back(link);
    return true;
  });
  return links;
}

ScanEnd QueueLinkTexts(CrawlContext& context, CrawlState& state,
                       const std::vector<std::string>& links) {
  const LinkResolver resolver(state.CurURL);
  for (const std::string& link : links) {
    ExamineLink(context, state, resolver, link);
    WaitSpeed(context.pump, context.options);
    if (state.closed)
      return ScanEnd::Closed;
  }
  return ScanEnd::Finished;
}

}  // namespace harvel
