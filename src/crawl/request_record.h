#pragma once

#include <string>

#include "crawl/download_channel.h"

namespace harvel {

// One requested file as it ended: what was asked and how it went. A row that
// could not be sent at all ends as a failed record without an HTTP status.
struct RequestRecord {
  std::string url;
  std::string path;
  DownloadOutcome outcome;
};

// The record as one line of text: URL, local path, outcome (landed, failed,
// already collected, not modified), HTTP status, bytes and time, e.g.
//   http://e.test/a.gif -> /h/site/a.gif: failed (HTTP 404), HTTP 404, 0 bytes, 0.012 s
//   http://e.test/t.jpg -> /h/site/t.jpg: too small (120x90), HTTP 200, 734 bytes, 0.004 s
std::string RequestRecordText(const RequestRecord& record);

// Why a record failed, for people: the downloader's words, or its code.
std::string FailureReasonText(const DownloadOutcome& outcome);

}  // namespace harvel
