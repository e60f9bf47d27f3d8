#include "crawl/read_ahead.h"

#include <filesystem>
#include <optional>
#include <system_error>
#include <unordered_set>

#include "common/number_text.h"
#include "common/path_text.h"
#include "crawl/link_extraction.h"
#include "crawl/modern/modern_links.h"
#include "crawl/modern/untyped_picture.h"
#include "crawl/modern/url_ending.h"
#include "crawl/page_reader.h"
#include "crawl/row_plan.h"
#include "crawl/type_decision.h"

namespace harvel {
namespace {

std::string_view NameOf(std::string_view path) {
  return path.substr(path.rfind('/') + 1);
}

// The queueing of QueueLink without the crawl: the URL filter and the
// visited-URL buffer (the crawl's, the rows predicted before, this page's).
class Predictions {
 public:
  Predictions(const CrawlContext& context, const CrawlTarget& page,
              const std::function<bool(const std::string&)>& known)
      : options_(context.options), page_(page), known_(known) {}

  void queue(const TakenLink& link, const RowFacts& facts = {}) {
    if (options_.on(Check::CommonURL) && !Contains(link.url, options_.commonUrlText()))
      return;
    if (known_(link.url) || !seen_.insert(link.url).second)
      return;
    rows.push_back(PredictedRow{CrawlTarget{page_.title, link.url, DecimalText(link.level)},
                                page_.url, link.picture, facts});
  }

  std::vector<PredictedRow> rows;

 private:
  const CrawlOptions& options_;
  const CrawlTarget& page_;
  const std::function<bool(const std::string&)>& known_;
  std::unordered_set<std::string> seen_;
};

// The scans of a page's text, or the texts they found that the record kept:
// `textsOf` gives those of one scan key.
void ScanAhead(const CrawlContext& context, const std::string& pageUrl, std::int16_t level,
               const std::function<std::vector<std::string>(std::size_t key)>& textsOf,
               Predictions& predictions) {
  const LinkResolver resolver(pageUrl);
  for (std::size_t key = 0; key < std::size(kScanKeys); ++key) {
    if (key == kFirstHrefKey && level <= 0)
      break;
    for (const std::string& link : textsOf(key)) {
      if (std::optional<TakenLink> taken =
              TakeLink(context.options, context.userExt, resolver, link, level))
        predictions.queue(*taken);
    }
  }
}

void ReferencesAhead(const CrawlContext& context, const std::vector<PageReference>& references,
                     std::int16_t level, Predictions& predictions) {
  const std::int16_t rowLevel = level;
  for (const PageReference& reference : references) {
    if (reference.kind == ReferenceKind::Link && rowLevel <= 0)
      continue;  // a page of level 0 follows no href
    if (std::optional<TakenReference> taken =
            TakeReference(context.options, context.userExt, reference, rowLevel, level))
      predictions.queue(*taken, taken->facts);
  }
}

}  // namespace

bool MayBeReadForLinks(const CrawlOptions& options, const std::string& saveFile,
                       const RowFacts& facts) {
  if (!options.on(Check::ModernPages))
    return IsPageEnding(LastFour(saveFile));
  const std::string ending = NameEnding(NameOf(saveFile));
  return IsPageTypeEnding(ending) || ending == "cgi" || facts.scriptPage;
}

bool IsReadForLinks(const CrawlOptions& options, const std::string& saveFile, const RowFacts& facts,
                    std::string_view contentType) {
  if (!MayBeReadForLinks(options, saveFile, facts))
    return false;
  if (!options.on(Check::ModernPages))
    return true;
  const std::string ending = NameEnding(NameOf(saveFile));
  return IsPageTypeEnding(ending) || ending == "cgi" || IsHtmlContentType(contentType);
}

std::vector<PredictedRow> ReadAhead(const CrawlContext& context, const CrawlTarget& page,
                                    const std::string& copyPath,
                                    const std::function<bool(const std::string&)>& known) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(PathFromText(copyPath), error);
  if (error || size > kReadAheadLimit)
    return {};
  Predictions predictions(context, page, known);
  const std::int16_t level = TextToInt16(page.level).value_or(0);
  if (context.options.on(Check::ModernPages)) {
    if (const std::optional<std::string> text = ReadModernPageFile(copyPath))
      ReferencesAhead(context, ReadPageReferences(*text, page.url), level, predictions);
  } else {
    std::string text;
    if (ReadPage(copyPath, text, [] { return true; }) == PageRead::Read) {
      ScanAhead(
          context, page.url, level,
          [&](std::size_t key) { return FindLinkTexts(text, kScanKeys[key]); }, predictions);
    }
  }
  return std::move(predictions.rows);
}

std::vector<PredictedRow> PredictFromRecord(const CrawlContext& context, const CrawlTarget& page,
                                            const PageLinks& links,
                                            const std::function<bool(const std::string&)>& known) {
  Predictions predictions(context, page, known);
  const std::int16_t level = TextToInt16(page.level).value_or(0);
  if (links.reader != PageReaderName(context.options))
    return {};
  if (links.reader == kModernReader) {
    std::vector<PageReference> references;
    for (const LinkText& link : links.links) {
      if (link.kind >= 0 && link.kind <= static_cast<int>(ReferenceKind::Frame))
        references.push_back(PageReference{static_cast<ReferenceKind>(link.kind), link.text});
    }
    ReferencesAhead(context, references, level, predictions);
  } else {
    ScanAhead(
        context, page.url, level,
        [&](std::size_t key) {
          std::vector<std::string> texts;
          for (const LinkText& link : links.links) {
            if (link.kind == static_cast<int>(key))
              texts.push_back(link.text);
          }
          return texts;
        },
        predictions);
  }
  return std::move(predictions.rows);
}

}  // namespace harvel
