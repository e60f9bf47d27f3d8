#pragma once

#include <cstdint>
#include <set>
#include <string>

namespace harvel {

// The paths of the files a crawl reported as landed, counted by what stays: a
// page read only for its links is removed after reading and not counted, and
// a file landed twice under one name counts once.
class LandedPaths {
 public:
  void add(const std::string& path) { paths_.insert(path); }
  void clear() { paths_.clear(); }

  // The files that are in their folders now.
  std::int64_t stillThere() const;

 private:
  std::set<std::string> paths_;
};

}  // namespace harvel
