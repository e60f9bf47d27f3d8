#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace harvel {

// A download cut off part-way, kept so that the next request for it asks
// only for the rest.
struct PartialDownload {
  std::string url;
  std::string dataPath;      // the bytes so far
  std::int64_t size = 0;     // how many
  std::int64_t length = -1;  // the whole file's, when the server told it; -1 when not
  // The validators the bytes were fetched with: the rest is asked for only
  // as long as they still hold (If-Range).
  std::string etag;
  std::string lastModified;
};

// The folder where the downloads of one title's folder that were cut off are
// kept (the crawl names it; it lies in the title's hidden record folder): for
// each URL a small description, `<key>.meta`, and its bytes,
// `<key>-XXXXXX.part`, where the key is a hash of the URL. The description
// is replaced whole by a rename, so that a kill at any moment leaves either
// the old part or the new one described; a part being continued only grows.
class PartialStore {
 public:
  // The store in `folder` (absolute), made with mode 0700 when missing;
  // nullopt when the folder above it is missing, or either is a symbolic
  // link, not a folder or another user's.
  static std::optional<PartialStore> Open(const std::string& folder);

  // What is kept for `url`: nothing unless its description names it and its
  // bytes are a plain file of this user's with one name.
  std::optional<PartialDownload> find(const std::string& url) const;

  // Keeps the closed file at `path` (in the same file system) as the bytes
  // of `download` so far, in place of whatever was kept for its URL: 0, or
  // the system's error number, and the file at `path` is removed.
  int keep(const std::string& path, const PartialDownload& download);

  // Forgets what is kept for `url`: its description and its bytes.
  void drop(const std::string& url);

 private:
  explicit PartialStore(std::string folder) : folder_(std::move(folder)) {}
  std::string key(const std::string& url) const;
  std::string metaPath(const std::string& url) const;
  // Removes the parts of `url` other than the file named `kept`.
  void removeParts(const std::string& url, const std::string& kept) const;

  std::string folder_;
};

}  // namespace harvel
