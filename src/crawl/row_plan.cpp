#include "crawl/row_plan.h"

#include <optional>
#include <string_view>
#include <utility>

#include "common/is_binary_file.h"
#include "common/url_parts.h"
#include "crawl/crawl_scope.h"
#include "crawl/mail_address_file.h"
#include "crawl/modern/modern_file_name.h"
#include "crawl/picture_minimum.h"
#include "crawl/sequential_name.h"
#include "crawl/title_check.h"
#include "crawl/type_decision.h"

namespace harvel {
std::string_view BelowHarvelFolder(const CrawlContext& context, std::string_view saveFile) {
  return saveFile.substr(context.harvelFolder.size());
}

std::optional<std::string> RowFolder(const CrawlContext& context, const CrawlTarget& row) {
  return TitleFolder(context.harvelFolder, row.title);
}

std::string RowSaveFile(const PageReader& reader, const std::string& folder,
                        const std::string& url) {
  return folder + "/" + reader.fileName(url);
}

void RowPlan::settleLanded(CrawlContext& context, CrawlState& state) const {
  reader->settleLanded(context, state);
}

bool RowPlan::readsForLinks(const std::string& file, const DownloadOutcome* outcome) const {
  return pageInScope && reader->readsForLinks(
                            file, facts, outcome != nullptr ? ServedType(*outcome) : std::string());
}

bool RowPlan::dropsAfterReading(const std::string& file, const DownloadOutcome* outcome) const {
  return reader->dropsPage(file, facts, outcome != nullptr ? ServedType(*outcome) : std::string());
}

RowPlan PlanRow(const CrawlContext& context, const CrawlState& state, const CrawlTarget& row,
                const std::string& referer, const RowFacts* facts) {
  const CrawlOptions& options = context.options;
  RowPlan plan;
  const PageReader& reader = context.readers.forRow();
  plan.reader = &reader;
  plan.facts = facts != nullptr ? *facts : reader.factsOf(state, row.url);
  plan.facts.typedRow = referer.empty() && facts == nullptr;
  plan.request.url = row.url;
  plan.request.referer = referer;
  plan.request.maxSize = options.maxFileSize();
  std::optional<std::string> folder = RowFolder(context, row);
  if (!folder)
    return plan;
  plan.saveFolder = std::move(*folder);
  plan.plainFile = RowSaveFile(reader, plan.saveFolder, row.url);
  plan.saveFile = plan.plainFile;
  const auto below = [&] { return BelowHarvelFolder(context, plan.saveFile); };
  if (!HoldsMailto(below())) {  // a mail row is no file
    std::optional<std::string> landing = LandingName(plan.saveFile, options.on(Check::Renban));
    if (!landing)
      return plan;  // every number is taken: skip rather than overwrite
    plan.saveFile = std::move(*landing);
  }
  if (!reader.rowWanted(below(), plan.facts, [&] { return IsBinaryFile(plan.saveFile); })) {
    return plan;
  }
  if (Contains(below(), "=") && !options.on(Check::CGI))
    return plan;
  if (HoldsMailto(below())) {
    plan.action = RowAction::Mail;
    return plan;
  }
  // Site only and the rules, judging the row as what it is taken for now; a
  // file that turns out to be a page is read for links only where a page of
  // its URL would be.
  if (std::optional<std::string> refusal =
          ScopeRefusal(options, row.url, referer,
                       reader.readsForLinks(plan.plainFile, plan.facts, std::nullopt))) {
    plan.refusal = std::move(*refusal);
    return plan;
  }
  plan.pageInScope = !ScopeRefusal(options, row.url, referer, true);
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
        if (plan.known.reader == reader.name()) {
          plan.request.ifNoneMatch = plan.known.etag;
          plan.request.ifModifiedSince = plan.known.lastModified;
        }
        break;
      case KnownUrl::Kind::Unknown:
        break;
    }
    plan.request.validators = true;
  }
  if (reader.namesFilesPerUrl()) {
    plan.claim = UnclaimedSaveFile(state.modern, plan.saveFile, row.url);
    if (!plan.claim)
      return plan;
    plan.unclaimedFile = std::move(plan.saveFile);
    plan.saveFile = plan.claim->path;
  }
  plan.request.path = plan.saveFile;
  reader.prepareRequest(plan.request,
                        reader.readsForLinks(plan.saveFile, plan.facts, std::nullopt));
  plan.request.minPicture = MinimumPictureFor(plan.saveFile, plan.facts.untypedPicture, options);
  plan.request.robots = options.robots();
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
