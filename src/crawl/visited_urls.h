#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace harvel {

// The visited-URL buffer of a crawl window: every URL that link extraction has
// queued, so that none is queued twice. URLBuf keeps the URLs in the order
// recorded at indexes 0 to URLBufCnt - 1, the slots after them empty, up to index
// URLBufMax (100 at first, 100 more at each growth). An index beside it answers
// URLBufCheck without a search through the slots, however many there are.
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
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };

  std::vector<std::string> urlBuf_;
  std::size_t urlBufCnt_ = 0;
  std::unordered_set<std::string, Hash, std::equal_to<>> index_;
};

}  // namespace harvel
