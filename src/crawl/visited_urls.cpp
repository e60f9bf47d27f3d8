#include "crawl/visited_urls.h"

#include <functional>

namespace harvel {
namespace {

constexpr std::size_t kGrowth = 100;
constexpr std::size_t kFirstIndexSize = 256;

std::uint64_t HashOf(std::string_view url) {
  return std::hash<std::string_view>{}(url);
}

}  // namespace

VisitedUrls::VisitedUrls() : urlBuf_(kGrowth + 1), index_(kFirstIndexSize) {}

int VisitedUrls::URLBufCheck(std::string_view url) const {
  const std::uint64_t hash = HashOf(url);
  const std::size_t mask = index_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const Entry& entry = index_[i];
    if (entry.slotPlusOne == 0)
      return 0;
    if (entry.hash == hash && urlBuf_[entry.slotPlusOne - 1] == url)
      return 1;
  }
}

void VisitedUrls::Record(const std::string& url) {
  if (urlBufCnt_ > URLBufMax())
    urlBuf_.resize(urlBuf_.size() + kGrowth);
  urlBuf_[urlBufCnt_] = url;
  addToIndex(HashOf(url), urlBufCnt_);
  ++urlBufCnt_;
}

void VisitedUrls::addToIndex(std::uint64_t hash, std::size_t slot) {
  if (2 * (urlBufCnt_ + 1) > index_.size())
    growIndex();
  const std::size_t mask = index_.size() - 1;
  std::size_t i = hash & mask;
  while (index_[i].slotPlusOne != 0)
    i = (i + 1) & mask;
  index_[i] = Entry{hash, slot + 1};
}

void VisitedUrls::growIndex() {
  std::vector<Entry> old(index_.size() * 2);
  old.swap(index_);
  const std::size_t mask = index_.size() - 1;
  for (const Entry& entry : old) {
    if (entry.slotPlusOne == 0)
      continue;
    std::size_t i = entry.hash & mask;
    while (index_[i].slotPlusOne != 0)
      i = (i + 1) & mask;
    index_[i] = entry;
  }
}

}  // namespace harvel
