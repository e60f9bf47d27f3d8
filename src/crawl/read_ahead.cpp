#include "crawl/read_ahead.h"

#include <filesystem>
#include <optional>
#include <system_error>
#include <unordered_set>

#include "common/number_text.h"
#include "common/path_text.h"
#include "crawl/type_decision.h"

namespace harvel {
namespace {

// The queueing of CrawlContext::queueLink without the crawl: the URL filter and the
// visited-URL buffer (the crawl's, the rows predicted before, this page's).
class Predictions : public PageVisit {
 public:
  Predictions(const CrawlContext& context, const CrawlTarget& page,
              const std::function<bool(const std::string&)>& known)
      : options_(context.options), page_(page), known_(known) {}

  void take(const TakenLink& link) override {
    if (!UrlFilterPasses(options_, link.url))
      return;
    if (known_(link.url) || !seen_.insert(link.url).second)
      return;
    rows.push_back(PredictedRow{CrawlTarget{page_.title, link.url, DecimalText(link.level)},
                                page_.url, link.picture, link.facts});
  }
  bool paced() override { return true; }

  std::vector<PredictedRow> rows;

 private:
  const CrawlOptions& options_;
  const CrawlTarget& page_;
  const std::function<bool(const std::string&)>& known_;
  std::unordered_set<std::string> seen_;
};

}  // namespace

std::vector<PredictedRow> ReadAhead(const CrawlContext& context, const PageReader& reader,
                                    const CrawlTarget& page, const std::string& copyPath,
                                    const std::function<bool(const std::string&)>& known,
                                    PageFound* found) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(PathFromText(copyPath), error);
  if (error || size > kReadAheadLimit)
    return {};
  Predictions predictions(context, page, known);
  std::int16_t level = TextToInt16(page.level).value_or(0);
  PageFound read = reader.read(copyPath, page.url, nullptr, predictions);
  if (read.end != PageRead::Read)
    return {};
  reader.takeLinks(read, level, predictions);
  if (found != nullptr)
    *found = std::move(read);
  return std::move(predictions.rows);
}

std::vector<PredictedRow> PredictFromRecord(const CrawlContext& context, const PageReader& reader,
                                            const CrawlTarget& page, const PageLinks& links,
                                            const std::function<bool(const std::string&)>& known) {
  Predictions predictions(context, page, known);
  std::int16_t level = TextToInt16(page.level).value_or(0);
  reader.takeRecorded(links, page.url, level, predictions);
  return std::move(predictions.rows);
}

}  // namespace harvel
