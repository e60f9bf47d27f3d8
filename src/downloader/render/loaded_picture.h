#pragma once

#include <string>

namespace harvel {

// A picture a rendered page loaded, as the browser received it: a 200 answer
// whose body the browser kept. The downloader answers the crawl's request
// for `url` from it instead of fetching the picture a second time.
struct LoadedPicture {
  std::string url;       // as the page asked for it
  std::string finalUrl;  // after redirects
  std::string contentType;
  std::string etag;
  std::string lastModified;
  std::string body;
};

}  // namespace harvel
