#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/picture_size.h"
#include "downloader/protocol/frame.h"

namespace harvel {

// The most scroll steps a render request may ask for.
inline constexpr int kMostRenderScrolls = 1000;

// A download request taken apart: the URL, the local path, and in version 2
// the page that linked the file (sent as the Referer), a size limit and the
// smallest picture to keep.
struct DownloadRequest {
  std::string url;
  std::string path;
  std::string referer;                  // empty: none
  std::optional<std::int64_t> maxSize;  // bytes; a larger file is refused
  PictureSize minPicture{};             // a smaller picture is left out; 0 × 0: none
  // Feature "conditional": the notice is to carry the server's ETag and
  // Last-Modified; and, when either is set, the request is conditional and
  // may end as not modified.
  bool validators = false;
  std::string ifNoneMatch{};
  std::string ifModifiedSince{};
  // Feature "render": the page is opened in the browser, scrolled down at most
  // this many steps, and its rendered document lands at `path`; 0: an ordinary download.
  int renderScrolls = 0;

  bool conditional() const { return !ifNoneMatch.empty() || !ifModifiedSince.empty(); }
};

// The version-2 request frame (kind Q) with the fields url, path and, when
// set, referer, max-size, min-picture ("400x300"), validators ("1"),
// if-none-match, if-modified-since, render (the scroll steps).
std::string EncodeFieldRequest(const DownloadRequest& request);

// The length of that frame, without building it.
std::size_t FieldRequestLength(const DownloadRequest& request);

// Either kind of request. nullopt when the request carries no download: no
// separating comma where the frame says the URL ends, an empty URL or an
// empty path, a negative max size, a min-picture that is no size, a render
// that is no number from 1 to 1000. Such a request is still answered
// with a notice.
std::optional<DownloadRequest> ParseRequest(const Message& request);

}  // namespace harvel
