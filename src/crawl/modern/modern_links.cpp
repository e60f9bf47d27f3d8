#include "crawl/modern/modern_links.h"

#include <algorithm>
#include <array>

#include "common/path_text.h"
#include "common/regular_file.h"
#include "crawl/landed_file.h"
#include "crawl/link_extraction.h"
#include "crawl/modern/background_references.h"
#include "crawl/modern/modern_types.h"
#include "crawl/modern/url_ending.h"
#include "crawl/type_decision.h"
#include "crawl/wait_speed.h"

namespace harvel {
namespace {

bool Paced(CrawlContext& context, const CrawlState& state) {
  WaitSpeed(context.pump, context.options);
  return !state.closed;
}

// One reference: its type, its level, and whether it is queued and where.
void ExamineReference(CrawlContext& context, CrawlState& state, const PageReference& reference,
                      std::int16_t rowLevel) {
  const std::optional<TakenReference> taken =
      TakeReference(context.options, context.userExt, reference, rowLevel, state.Level);
  if (!taken || !QueueLink(context, state, taken->url, taken->level, taken->picture))
    return;
  if (taken->facts.untypedPicture)
    state.modern.untypedPictures.insert(taken->url);
  if (taken->facts.scriptPage)
    state.modern.scriptPages.insert(taken->url);
}

// The HTML keep rule, with the ending in any case; a page that the server
// called HTML whatever its name is kept or dropped as an HTML page.
bool ModernPageIsDropped(const CrawlContext& context, const CrawlState& state) {
  const CrawlOptions& options = context.options;
  const std::string_view name =
      std::string_view(state.SaveFile).substr(state.SaveFile.rfind('/') + 1);
  const std::string ending = NameEnding(name);
  if (IsServedPage(state) && !IsPageTypeEnding(ending) && ending != "cgi") {
    if (options.on(Check::UserSet))
      return !UserListWants(name, context.userExt);
    return !options.on(Check::Htm);
  }
  return PageIsDropped(AsciiLower(state.SaveFile), options, context.userExt);
}

}  // namespace

std::optional<TakenReference> TakeReference(const CrawlOptions& options, const UserExtList& userExt,
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
      if (level <= 0)
        return std::nullopt;
      queuedLevel = --level;
    }
  }
  const std::string& url = reference.url;
  TakenReference taken;
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
  const std::int16_t rowLevel = state.Level;
  for (const PageReference& reference : references) {
    if (reference.kind == ReferenceKind::Link && rowLevel <= 0)
      continue;  // a page of level 0 follows no href
    ExamineReference(context, state, reference, rowLevel);
    if (!Paced(context, state))
      return ScanEnd::Closed;
  }
  return ScanEnd::Finished;
}

ScanEnd ReadModernPage(CrawlContext& context, CrawlState& state,
                       std::optional<std::vector<PageReference>>* read) {
  std::optional<std::string> page = ReadModernPageFile(state.SaveFile);
  if (!page)
    return Paced(context, state) ? ScanEnd::Finished : ScanEnd::Closed;
  const std::optional<std::vector<PageReference>> references =
      ReadPageReferencesAside(context.pump, state.closed, std::move(*page), state.CurURL);
  if (!references)
    return ScanEnd::Closed;
  if (read != nullptr)
    *read = references;
  if (QueueReferences(context, state, *references) == ScanEnd::Closed)
    return ScanEnd::Closed;
  if (ModernPageIsDropped(context, state))
    DropLandedFile(state);
  return Paced(context, state) ? ScanEnd::Finished : ScanEnd::Closed;
}

}  // namespace harvel
