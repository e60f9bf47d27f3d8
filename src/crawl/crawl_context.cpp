#include "crawl/crawl_context.h"

#include <algorithm>
#include <utility>

#include "common/number_text.h"
#include "crawl/crawl_texts.h"
#include "crawl/type_decision.h"

namespace harvel {
namespace {

// Target folders are Harvel's folder, "/", and the title: no doubled slash.
std::string WithoutTrailingSlash(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/')
    folder.pop_back();
  return folder;
}

}  // namespace

CrawlContext::CrawlContext(const CrawlOptions& options_, EventPump& pump_,
                           DownloadChannel& channel_, Shell& shell_, std::string harvelFolder_)
    : options(options_),
      pump(pump_),
      channel(channel_),
      shell(shell_),
      harvelFolder(WithoutTrailingSlash(std::move(harvelFolder_))) {}

void CrawlContext::load() {
  if (state)
    return;
  state = std::make_shared<CrawlState>();
  // The suffix list is taken once here, and only while UserSetChk is on.
  if (options.value(Check::UserSet) == 1)
    userExt = SplitUserExt(options.userSetText());
  caption = kCaptionCrawling;
  status1 = "Harvel";
  status2.clear();
  if (observer)
    observer->loaded();
}

void CrawlContext::unload() {
  if (!state)
    return;
  setCaption(*state, kCaptionClosing);
  // A driver still holding the state sees the mark at its next yield; dropping
  // the mailbox makes a late notice find no window.
  state->closed = true;
  state->mailbox.reset();
  state.reset();
  if (observer)
    observer->unloaded();
}

void CrawlContext::setCaption(const CrawlState& of, std::string text) {
  if (of.closed)
    return;
  caption = std::move(text);
  if (observer)
    observer->captionChanged(caption);
}

void CrawlContext::setStatus(const CrawlState& of, int panel, std::string text) {
  if (of.closed)
    return;
  std::string& target = panel == 1 ? status1 : status2;
  target = std::move(text);
  if (observer)
    observer->statusTextChanged(panel, target);
}

void CrawlContext::insertRow(CrawlState& of, std::size_t index, CrawlTarget row,
                             std::string referer) {
  if (of.closed)
    return;
  index = std::min(index, of.rows.size());
  of.rows.insert(of.rows.begin() + static_cast<std::ptrdiff_t>(index), std::move(row));
  of.referers.resize(of.rows.size() - 1);
  of.referers.insert(of.referers.begin() + static_cast<std::ptrdiff_t>(index), std::move(referer));
  if (rowChanges)
    rowChanges->rowInserted(of, index);
  if (observer)
    observer->rowInserted(index, of.rows[index]);
}

void CrawlContext::removeFirstRow(CrawlState& of) {
  if (of.closed || of.rows.empty())
    return;
  of.rows.pop_front();
  if (!of.referers.empty())
    of.referers.pop_front();
  if (rowChanges)
    rowChanges->firstRowRemoved(of);
  if (observer)
    observer->rowRemoved(0);
}

bool CrawlContext::queueLink(CrawlState& of, const TakenLink& link) {
  if (!UrlFilterPasses(options, link.url))
    return false;
  if (of.visited.URLBufCheck(link.url) != 0 || of.rows.empty())
    return false;
  const bool pictureFirst = options.on(Check::PicFastDown) && link.picture;
  const std::size_t position = pictureFirst ? 1 : of.rows.size();
  insertRow(of, position, CrawlTarget{of.rows.front().title, link.url, DecimalText(link.level)},
            of.CurURL);
  of.visited.Record(link.url);
  if (link.facts.untypedPicture)
    of.modern.untypedPictures.insert(link.url);
  if (link.facts.scriptPage)
    of.modern.scriptPages.insert(link.url);
  return true;
}

}  // namespace harvel
