#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "crawl/crawl_options.h"
#include "crawl/download_channel.h"
#include "crawl/row_plan.h"

namespace harvel {

// Whether the request of a row planned as `plan` may go to the downloader
// before the crawl reaches the row: a file that is never read for links
// (so no row is queued in front of the rows after it), that lands under the
// name it is asked for (no numbering, no picture renamed by its type), with no
// record to ask and no browser. Its notice only counts and reports it.
bool MaySendAhead(const RowPlan& plan, const CrawlOptions& options);

// The requests sent ahead of the crawl, in the order sent: each row's plan, as
// decided when it was sent, and the mailbox its notice goes to. The crawl still
// handles each row when it reaches it, with that plan and that notice.
class RequestsAhead {
 public:
  struct Sent {
    std::string url;
    RowPlan plan;
    std::shared_ptr<Mailbox> mailbox = std::make_shared<Mailbox>();
  };

  std::size_t size() const { return sent_.size(); }
  bool holds(const std::string& url) const;
  // Whether a request sent ahead writes to `path`.
  bool writes(const std::string& path) const;
  void add(Sent sent) { sent_.push_back(std::move(sent)); }
  // The row `url` sent ahead, taken out; nullopt when it was not.
  std::optional<Sent> take(const std::string& url);
  void clear() { sent_.clear(); }

 private:
  std::deque<Sent> sent_;
};

}  // namespace harvel
