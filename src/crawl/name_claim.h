#pragma once

#include <functional>
#include <optional>
#include <string>

namespace harvel {

// A name taken in a folder for a file about to land there, so that no other
// program numbering its files in the same folder (a second crawl of the same
// title) takes it meanwhile: the name is made as an empty file, exclusively,
// and held locked until the claim goes; the download's file is renamed over
// it. An empty file of the claim's kind (write-only for its owner) that nobody
// holds is one a killed crawl left behind and may be claimed again. When the
// claim goes, the empty file is removed unless a file has replaced it.
class NameClaim {
 public:
  // The name that the file `preferred` takes: `preferred` itself when it can
  // be claimed, else the first of `plainFile`, `plainFile` numbered 1, 2 ...
  // that can. A name for which `recorded` is true is passed over even when no
  // file holds it. nullopt when every number is taken.
  static std::optional<NameClaim> Take(
      const std::string& plainFile, const std::string& preferred,
      const std::function<bool(const std::string& name)>& recorded);

  NameClaim(NameClaim&& other) noexcept;
  NameClaim& operator=(NameClaim&& other) noexcept;
  NameClaim(const NameClaim&) = delete;
  NameClaim& operator=(const NameClaim&) = delete;
  ~NameClaim();

  const std::string& path() const { return path_; }

 private:
  NameClaim(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
  void release();

  std::string path_;
  int fd_ = -1;
};

}  // namespace harvel
