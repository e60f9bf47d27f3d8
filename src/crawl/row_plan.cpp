#include "crawl/row_plan.h"

#include <optional>
#include <string_view>
#include <utility>

#include "common/is_binary_file.h"
#include "common/url_parts.h"
#include "crawl/modern/modern_file_name.h"
#include "crawl/modern/modern_types.h"
#include "crawl/picture_minimum.h"
#include "crawl/sequential_name.h"
#include "crawl/title_check.h"
#include "crawl/type_decision.h"

namespace harvel {
namespace {

constexpr std::string_view kMailto = "mailto:";

}  // namespace

const char* PageReaderName(const CrawlOptions& options) {
  return options.on(Check::ModernPages) ? kModernReader : kScanReader;
}

std::string RowFolder(const CrawlContext& context, const CrawlTarget& row) {
  return context.harvelFolder + "/" + row.title;
}

std::string RowSaveFile(const CrawlContext& context, const std::string& folder,
                        const std::string& url) {
  return folder + "/" + RowFileName(context.options, url);
}

RowPlan PlanRow(const CrawlContext& context, const CrawlState& state, const CrawlTarget& row,
                const std::string& referer, const RowFacts* facts) {
  const CrawlOptions& options = context.options;
  RowPlan plan;
  plan.saveFolder = RowFolder(context, row);
  plan.saveFile = RowSaveFile(context, plan.saveFolder, row.url);
  plan.request.url = row.url;
  plan.request.referer = referer;
  plan.request.maxSize = options.maxFileSize();
  if (TitleIsRefused(row.title))
    return plan;
  // The "=" filter and the "mailto:" tests look at the path below Harvel's
  // folder only, so that where that folder lies (a --dir holding "=") cannot
  // change what a crawl collects.
  const auto below = [&] {
    return std::string_view(plan.saveFile).substr(context.harvelFolder.size());
  };
  if (options.on(Check::Renban) && !Contains(below(), kMailto) &&
      OrdinaryFileExists(plan.saveFile)) {
    std::optional<std::string> numbered = FirstFreeNumberedName(plan.saveFile);
    if (!numbered)
      return plan;  // every number is taken: skip rather than overwrite
    plan.saveFile = std::move(*numbered);
  }
  const RowFacts rowFacts = facts != nullptr                 ? *facts
                            : options.on(Check::ModernPages) ? FactsOf(state, row.url)
                                                             : RowFacts{};
  if (!RowWanted(below(), rowFacts, options, context.userExt,
                 [&] { return IsBinaryFile(plan.saveFile); })) {
    return plan;
  }
  if (Contains(below(), "=") && !options.on(Check::CGI))
    return plan;
  if (Contains(below(), kMailto)) {
    plan.action = RowAction::Mail;
    return plan;
  }
  if (options.onlyNew()) {
    if (context.collected == nullptr)
      return plan;
    plan.known = context.collected->lookup(plan.saveFolder, row.url);
    switch (plan.known.kind) {
      case KnownUrl::Kind::NoRecord:
        return plan;
      case KnownUrl::Kind::File:
        plan.action = RowAction::Collected;
        if (!plan.known.localName.empty())
          plan.saveFile = plan.saveFolder + "/" + plan.known.localName;
        return plan;
      case KnownUrl::Kind::Page:
        if (plan.known.reader == PageReaderName(options)) {
          plan.request.ifNoneMatch = plan.known.etag;
          plan.request.ifModifiedSince = plan.known.lastModified;
        }
        break;
      case KnownUrl::Kind::Unknown:
        break;
    }
    plan.request.validators = true;
  }
  if (options.on(Check::ModernPages)) {
    plan.claim = UnclaimedSaveFile(state.modern, plan.saveFile, row.url);
    if (!plan.claim)
      return plan;
    plan.unclaimedFile = std::move(plan.saveFile);
    plan.saveFile = plan.claim->path;
  }
  plan.request.path = plan.saveFile;
  plan.request.minPicture = MinimumPictureFor(plan.saveFile, row.url, state, options);
  if (!IsDownloadableUrl(row.url)) {
    plan.action = RowAction::RefusedScheme;
  } else if (!context.channel.CanCarry(plan.request)) {
    plan.action = RowAction::TooLong;
  } else {
    plan.action = RowAction::Request;
  }
  return plan;
}

}  // namespace harvel
