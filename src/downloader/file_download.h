#pragma once

#include <atomic>
#include <set>
#include <string>

#include "downloader/protocol/request_text.h"

typedef void CURL;
typedef void CURLM;

namespace harvel {

// Downloads one URL at a time into a local file with libcurl. The same handle
// serves every request, so connections to a server are kept open and reused.
//
// The file is written under a temporary name in the target folder and renamed
// into place only when the download succeeded: a failed download leaves no file
// behind and an existing file at the path untouched. Temporary files that a
// killed downloader left are removed the first time a folder is written to.
class FileDownloader {
 public:
  FileDownloader();
  ~FileDownloader();
  FileDownloader(const FileDownloader&) = delete;
  FileDownloader& operator=(const FileDownloader&) = delete;

  // True when the file is in place. Runs until the download has ended.
  bool download(const DownloadRequest& request);

  // From any thread: ends a running download at once (it fails and its
  // temporary file is removed) and makes every later one fail.
  void interrupt();

 private:
  bool transfer(const DownloadRequest& request, void* file);

  CURL* easy_;
  CURLM* multi_;
  std::atomic<bool> interrupted_{false};
  std::set<std::string> cleanedFolders_;  // folders already rid of leftovers
  unsigned fileMode_;
};

}  // namespace harvel
