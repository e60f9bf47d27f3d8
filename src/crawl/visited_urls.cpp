#include "crawl/visited_urls.h"

namespace harvel {
namespace {
constexpr std::size_t kGrowth = 100;
}

VisitedUrls::VisitedUrls() : urlBuf_(kGrowth + 1) {}

int VisitedUrls::URLBufCheck(std::string_view url) const {
  return index_.find(url) != index_.end() ? 1 : 0;
}

void VisitedUrls::Record(const std::string& url) {
  if (urlBufCnt_ > URLBufMax())
    urlBuf_.resize(urlBuf_.size() + kGrowth);
  urlBuf_[urlBufCnt_] = url;
  ++urlBufCnt_;
  index_.insert(url);
}

}  // namespace harvel
