#pragma once

namespace harvel {

// How a call of SearchStart ended.
enum class CrawlOutcome {
  Completed,       // the crawl list ran empty; the window unloaded itself
  Closed,          // the window was closed during the crawl
  ChannelFailed,   // the downloader could not be reached; see errorText()
  TitleRefused,    // the title would lead outside Harvel's folder; nothing was written;
                   // errorText() is the message for the user
  AlreadyRunning,  // a crawl runs already: the row was appended and the running loop takes it
  // The only-new option is on and the target's record cannot be used (a
  // newer Harvel's, a read-only folder ...): nothing was fetched; see errorText().
  RecordUnusable,
  // The record could not be read or written during the crawl; see errorText().
  RecordFailed,
};

}  // namespace harvel
