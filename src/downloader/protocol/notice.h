#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/download_outcome.h"
#include "downloader/protocol/frame.h"

namespace harvel {

// Why a download did not land: the codes a version-2 notice carries in its
// `reason` field. A reader shows an unknown code as it is.
namespace failure {
inline constexpr const char* kHttpStatus = "http-status";      // the server answered 400 or more
inline constexpr const char* kTimeout = "timeout";             // no connection or no answer in time
inline constexpr const char* kRefused = "connection-refused";  // nobody listens there
inline constexpr const char* kReset = "connection-reset";      // the connection broke
inline constexpr const char* kCutOff = "cut-off";              // fewer bytes came than announced
inline constexpr const char* kNameLookup = "name-lookup";      // the host name is unknown
inline constexpr const char* kCertificate = "certificate";  // the server's certificate is refused
inline constexpr const char* kDiskFull = "disk-full";
inline constexpr const char* kNameTooLong = "name-too-long";  // the file system refuses the name
inline constexpr const char* kUnwritable = "unwritable";      // the folder cannot be written to
inline constexpr const char* kScheme = "refused-scheme";      // not http, https or ftp
inline constexpr const char* kTooLarge = "too-large";         // over the request's max size
inline constexpr const char* kTooSlow = "too-slow";           // under the least speed for too long
inline constexpr const char* kBadRequest = "bad-request";     // no URL or no absolute path
inline constexpr const char* kOther = "other";
inline constexpr const char* kNoBrowser = "no-browser";        // rendering asked, no browser found
inline constexpr const char* kRenderFailed = "render-failed";  // the browser cannot render
// The server asked for a pause (Retry-After) longer than the downloader waits.
inline constexpr const char* kPausedTooLong = "paused-too-long";
}  // namespace failure

// The reason of a picture left out as smaller than the request's min-picture.
inline constexpr const char* kTooSmallReason = "too-small";
// The reason of a URL the site's robots.txt refuses (outcome "robots-excluded").
inline constexpr const char* kRobotsReason = "robots";

// How one download ended, as a notice carries it: the count (all that
// version 1 carries, as text) and the outcome (version 2 carries every field
// but alreadyCollected, which only the crawl sets; see EncodeFieldNotice).
struct DownloadNotice : DownloadOutcome {
  std::string count;  // the decimal DownloadCount, as in version 1
};

// The version-2 notice frame (kind O). Fields: count, outcome ("landed",
// "failed", "too-small", "not-modified" or "robots-excluded"), reason, reason-text, http-status,
// bytes, elapsed-ms, content-type, final-url, picture-size ("120x90") with
// "too-small", etag, last-modified, and for a rendered page rendered ("1"),
// pictures (one URL a line, at most 512 KiB of them) and picture-bytes.
std::string EncodeFieldNotice(const DownloadNotice& notice);

// Either kind of notice. A version-1 notice reads as landed with only the
// count, since it tells nothing more. nullopt for other messages.
std::optional<DownloadNotice> ParseNotice(const Message& message);

}  // namespace harvel
