#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace harvel {

// The visited-URL buffer of a crawl window: every URL that link extraction has
// queued, so that none is queued twice. URLBuf keeps the URLs in the order
// recorded at indexes 0 to URLBufCnt - 1, the slots after them empty, up to index
// URLBufMax (100 at first, 100 more at each growth). A hash index beside it
// answers URLBufCheck in the same time however many URLs there are.
class VisitedUrls {
 public:
  VisitedUrls();

  // 1 when exactly this text (case included) has been recorded, 0 otherwise.
  int URLBufCheck(std::string_view url) const;

  // Records `url` in the next free slot, growing the buffer by 100 slots when
  // every slot is taken. Does not test for duplicates itself.
  void Record(const std::string& url);

  const std::vector<std::string>& URLBuf() const { return urlBuf_; }
  std::size_t URLBufMax() const { return urlBuf_.size() - 1; }
  std::size_t URLBufCnt() const { return urlBufCnt_; }

 private:
  // One entry of the open-addressing index: the URL's hash and its URLBuf index
  // plus one (0 marks a free entry). Small entries keep a look-up to one or two
  // cache lines, which matters once tens of thousands of URLs are recorded.
  struct Entry {
    std::uint64_t hash = 0;
    std::size_t slotPlusOne = 0;
  };

  void addToIndex(std::uint64_t hash, std::size_t slot);
  void growIndex();

  std::vector<std::string> urlBuf_;
  std::size_t urlBufCnt_ = 0;
  std::vector<Entry> index_;  // size is a power of two, at most half full
};

}  // namespace harvel
