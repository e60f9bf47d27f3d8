#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/picture_size.h"

namespace harvel {

// One file the crawl asks the downloader for, as the crawl makes it and the
// downloader reads it: where it comes from, where it goes, the page that
// linked it (sent as the Referer; empty for a typed row), a size limit and,
// for a picture, the smallest size to keep. The channel carries it field by
// field (downloader/protocol/request_fields.h); a field added here gets its
// row there.
// The most scroll steps a request to render a page may ask for.
inline constexpr int kMostRenderScrolls = 1000;

struct FileRequest {
  std::string url{};
  std::string path{};
  std::string referer{};                  // empty: none
  std::optional<std::int64_t> maxSize{};  // bytes; a larger file is refused; nullopt: no limit
  PictureSize minPicture{};               // a smaller picture is left out; 0 × 0: not judged
  // The server's ETag and Last-Modified are wanted in the outcome.
  bool validators = false;
  // A conditional request (either set): a file that did not change since is
  // not fetched again and ends as not modified.
  std::string ifNoneMatch{};
  std::string ifModifiedSince{};
  // A page to be opened in the browser and scrolled down at most this many
  // steps, its rendered document landing at `path`; 0: an ordinary download.
  int renderScrolls = 0;
  // The site's robots.txt is obeyed: a URL it refuses is not fetched.
  bool robots = false;

  bool conditional() const { return !ifNoneMatch.empty() || !ifModifiedSince.empty(); }
  // Whether `other` asks for the same file in the same way, wherever it puts
  // it: a staged copy answers only a request asked alike.
  bool askedAlike(const FileRequest& other) const {
    return url == other.url && referer == other.referer && maxSize == other.maxSize &&
           minPicture == other.minPicture && ifNoneMatch == other.ifNoneMatch &&
           ifModifiedSince == other.ifModifiedSince && robots == other.robots;
  }
};

// A file fetched ahead of its row: the request it will be asked with, whose
// `path` is the folder its copy waits in (the request that takes the copy
// names it), at most `jobs` such transfers of one client at once.
struct StagedFile {
  FileRequest request{};
  // A page the crawl will read: the downloader tells when its copy has landed.
  bool tellLanded = false;
  int jobs = 1;

  const std::string& folder() const { return request.path; }
};

// A staged copy that has landed, for a StagedFile that asked to be told: the
// hidden file that holds it until a request takes it or it is unstaged, and
// the Content-Type the server gave.
struct LandedCopy {
  std::string url;
  std::string folder;
  std::string path;
  std::string contentType;
};

}  // namespace harvel
