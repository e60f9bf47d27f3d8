#pragma once

#include <QString>
#include <string>

#include "common/download_outcome.h"

namespace harvel {

// One requested file as it ended, as a line of a status-bar panel's tool tip,
// in the windows' language: URL, local path, outcome and its reason, HTTP
// status (once: not again when it is the reason), bytes and time, e.g.
//   http://e.test/a.gif -> /h/site/a.gif: failed (HTTP 404), 0 bytes, 0.012 s
//   http://e.test/t.jpg -> /h/site/t.jpg: too small (120x90), HTTP 200, 734 bytes, 0.004 s
// The downloader's reasons are said in the windows' words by their code, the
// detail after them (libcurl's or the system's words) as it came.
QString RecordLine(const std::string& url, const std::string& path, const DownloadOutcome& outcome);

// Why a request failed, in the windows' words: "timed out: <detail>", "HTTP 404".
QString ReasonLine(const DownloadOutcome& outcome);

}  // namespace harvel
