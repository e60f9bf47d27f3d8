#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/crawl_target.h"

namespace harvel {

// The collection list kept between runs: `list.hvl`, an ordinary list file, in
// the user's data folder ($XDG_DATA_HOME/harvel, ~/.local/share/harvel). It is
// written whole into a temporary file beside it and renamed over it, so that
// the kept list is always either the old one or the new one.
class KeptList {
 public:
  // `folder` (UTF-8) is made at the first save; empty: nothing is kept.
  explicit KeptList(std::string folder);

  struct Restored {
    // The kept rows; nullopt when there is no kept list (a first start) or it
    // could not be used.
    std::optional<std::vector<CrawlTarget>> rows;
    // When the kept list could not be used: where it was set aside (or why it
    // could not be), for the user.
    std::string problem;
  };
  // Reads the kept list. One that cannot be read or is no list file is moved
  // aside whole, as `list.hvl.damaged-YYYYMMDD-HHMMSS`, and never read again.
  Restored restore() const;

  // Writes `rows` as the kept list. False with the reason when it could not be
  // written; the list kept before then stays as it was.
  bool save(const std::vector<CrawlTarget>& rows, std::string* error) const;

  bool enabled() const { return !folder_.empty(); }
  std::string path() const;  // the kept list file, UTF-8

  static constexpr const char* kFileName = "list.hvl";

 private:
  std::string folder_;
};

}  // namespace harvel
