#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/picture_size.h"

namespace harvel {

// How a requested file ended: what the downloader's notice tells (the channel
// carries it field by field, downloader/protocol/notice.h) and what the crawl
// reads from its mailbox.
struct DownloadOutcome {
  bool landed = true;
  std::string reason;      // a short code ("http-status", "timeout", ...); empty when landed
  std::string reasonText;  // the same for people: "HTTP 404 Not Found", ...
  int httpStatus = 0;      // the last HTTP status seen; 0 when none is known
  std::int64_t bytes = 0;  // body bytes received
  std::int64_t elapsedMs = 0;
  std::string contentType;  // the server's Content-Type, when given
  std::string finalUrl;     // the URL after redirects
  std::string etag;         // the server's validators, when asked for and given
  std::string lastModified;
  // Ends beside landing that are no failure: the server said the file did not
  // change since the validators of a conditional request (nothing was
  // written), or the record says the file was collected before (set by the
  // crawl: nothing was asked for, or the file that landed repeated one and was
  // removed).
  bool notModified = false;
  bool alreadyCollected = false;
  // False when the downloader told nothing but that the download ended (an
  // older downloader): the file is then taken as landed, as it always was.
  bool detailed = false;
  // Set (landed false) for a picture left out as smaller than the request's
  // minimum: its size. Neither a download nor a failure.
  std::optional<PictureSize> tooSmall;
  // Set (landed false) for a URL the site's robots.txt refuses to this
  // crawler: nothing was fetched. Neither a download nor a failure; the
  // reason text names the rule.
  bool robotsExcluded = false;
  // A rendered page: the file is what the browser showed, and these are the
  // pictures (http and https URLs) the page loaded meanwhile, which took the
  // browser `pictureBytes`.
  bool rendered = false;
  std::vector<std::string> pictures;
  std::int64_t pictureBytes = 0;

  bool failed() const {
    return !landed && !notModified && !alreadyCollected && !tooSmall && !robotsExcluded;
  }
};

}  // namespace harvel
