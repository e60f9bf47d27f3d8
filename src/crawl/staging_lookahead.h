#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "common/crawl_target.h"
#include "crawl/crawl_context.h"
#include "crawl/read_ahead.h"
#include "crawl/row_plan.h"

namespace harvel {

// Keeps the downloader fetching ahead of the crawl at speed level 0: before
// each row it stages the rows at the top of the crawl list whose plan
// (PlanRow, the driver's own decision) is a request, so that their files are
// on the way while the crawl still works through the rows before them.
//
// Pages are read ahead: when the staged copy of a page the crawl will read has
// landed (the channel tells), its links are read with the same reader and
// options into the lookahead's own scratch state, and the rows the crawl will
// queue when it reaches that page are staged as if they were in its list
// already (a page's pictures right behind it). The crawl itself handles one
// row at a time, reads each page it requested as it got it, and sends one
// request per wanted row; a prediction that turns out wrong only costs a copy
// that is dropped once the crawl has read that page.
//
// With the only-new option, a page the record knows is fetched ahead with its
// recorded validators (where the channel stages conditionally), and the rows
// below it are predicted from the links the record keeps for it, as the crawl
// will queue them when the server says it did not change; should its copy
// land changed, the copy is read ahead instead.
//
// The rows at the top are looked at once each: a cursor over them, kept
// through the rows the crawl inserts and removes, makes the look before a row
// cost the same however many rows are ahead.
class StagingLookahead : public RowChanges {
 public:
  explicit StagingLookahead(CrawlContext& context);
  StagingLookahead(const StagingLookahead&) = delete;
  StagingLookahead& operator=(const StagingLookahead&) = delete;
  ~StagingLookahead() override;

  // Row 1 of `state` is about to be handled by `plan` (nullptr: it asks for
  // nothing, its folder could not be made).
  void beforeRow(const CrawlState& state, const RowPlan* plan);
  // The crawl waits for a notice: pages that landed meanwhile are read ahead.
  void whileWaiting(const CrawlState& state);
  void rowInserted(const CrawlState& of, std::size_t index) override;
  void firstRowRemoved(const CrawlState& of) override;

  // The driver asks for `url` into `folder` now; a staged copy is used up.
  void requested(const std::string& url, const std::string& folder);
  // The request of the row `url` into `folder` was sent ahead of the crawl:
  // its staged copy is used up, and the row is not staged again before the
  // crawl reaches it (requested() then).
  void sentAhead(const std::string& url, const std::string& folder);
  // Every staged copy not asked for is removed (the crawl ends, or a pacing
  // other than the fastest is chosen), and every prediction forgotten.
  void dropAll();

  // The page `url` of `folder` as it was read ahead, when the file now at
  // `path` is that copy (moved into place, not fetched again): the crawl
  // takes its links from it instead of reading the page a second time.
  std::optional<PageFound> pageReadAhead(const std::string& url, const std::string& folder,
                                         const std::string& path);

  std::size_t stagedCount() const { return staged_.size(); }
  // Rows predicted from pages read ahead that the crawl has not read yet.
  std::size_t predictedCount() const { return predicted_.size(); }

 private:
  struct Copy {
    std::string folder;
    CrawlTarget row;
    const PageReader* reader = nullptr;  // the plan's
    std::string saveFile;                // as planned
    RowFacts facts;
    bool page = false;     // the crawl may read it for links: told of when it lands
    std::string fromPage;  // the page read ahead that predicted it; empty for a list row
    // A page the record knows, fetched ahead conditionally: what lies below
    // it is predicted from its recorded links until its copy lands changed.
    bool fromRecord = false;
  };

  int jobs() const;
  bool staging() const;
  bool readLandedPages(const CrawlState& state);
  // `fromRow`: 1 while row 1's own request is under way.
  void stageAhead(const CrawlState& state, std::size_t fromRow, const RowPlan* first);
  // `plan`: row 1's, made by the driver (row 1 is `first`); other rows are
  // planned here.
  void consider(const CrawlState& state, const CrawlTarget& row, const std::string& referer,
                const PredictedRow* predicted, bool first, const RowPlan* plan = nullptr);
  // Considers the pictures predicted right behind the page `url` while
  // `looked` < `ahead`; true when each of them was, and is staged.
  bool picturesAhead(const CrawlState& state, const std::string& url, std::size_t ahead,
                     std::size_t& looked);
  // What pages read ahead queue at the end of the list, after `rows`.
  void predictedLater(const std::string& url, std::vector<const PredictedRow*>& later) const;
  // Row `index` took `slots` of the look ahead; 0: to be looked at again.
  void markLooked(std::size_t index, std::size_t slots);
  void lookAgainAt(const CrawlState& state, const std::string& url);
  void forgetLooked();
  void predictFromRecord(const CrawlState& state, const CrawlTarget& page,
                         const std::string& folder, const PageReader& reader);
  void remember(const CrawlState& state, const std::string& page, std::vector<PredictedRow> rows);
  void settle(const CrawlState& state, const std::string& page);
  void drop(const std::string& url);

  // What tells a file: a copy keeps its device, inode, size and time of
  // modification when it is moved into place; a file fetched again does not.
  struct FileIdentity {
    std::uintmax_t device = 0, inode = 0, size = 0;
    std::int64_t modifiedNs = 0;
    bool operator==(const FileIdentity&) const = default;
  };
  static std::optional<FileIdentity> IdentityOf(const std::string& path);
  // A page read ahead, kept for the crawl.
  struct ReadCopy {
    std::string folder;
    FileIdentity file;
    PageFound page;
  };
  void keepRead(const std::string& url, const std::string& folder, const std::string& path,
                PageFound page);
  void forgetRead(const std::string& url);

  CrawlContext& context_;
  std::unordered_map<std::string, Copy> staged_;         // by URL
  std::unordered_map<std::string, ReadCopy> pagesRead_;  // by URL, at most kKeptReadBytes
  std::size_t keptReadBytes_ = 0;
  // Pages read ahead, by URL: the rows the crawl will queue when it reads them.
  std::unordered_map<std::string, std::vector<PredictedRow>> readAhead_;
  std::unordered_set<std::string> predicted_;  // the URLs of those rows
  // Beside each row at the top of the list that was looked at since it came
  // there: the rows of the look ahead it took (itself and the pictures
  // predicted right behind it); 0 for a row to be looked at again.
  std::deque<std::size_t> looked_;
  const CrawlState* lookedState_ = nullptr;    // the list looked_ follows
  std::size_t lookedSum_ = 0;                  // of looked_
  std::size_t lookAgain_ = 0;                  // the zeros in looked_
  std::unordered_set<std::string> sentAhead_;  // rows whose requests went ahead
  std::optional<std::string> current_;         // row 1, when it was staged
  std::string handling_;                       // row 1 at the last beforeRow
};

}  // namespace harvel
