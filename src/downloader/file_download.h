#pragma once

#include <set>
#include <string>

#include "downloader/protocol/request_text.h"

typedef void CURL;

namespace harvel {

// Downloads one URL at a time into a local file with libcurl. The same handle
// serves every request, so connections to a server are kept open and reused.
// The transfer itself is run by the caller (CurlEventLoop): begin() prepares
// it, finish() or abandon() ends it.
//
// The file is written under a temporary name in the target folder and renamed
// into place only when the download succeeded: a failed download leaves no file
// behind and an existing file at the path untouched. Temporary files that a
// killed downloader left are removed the first time a folder is written to.
class FileDownloader {
 public:
  FileDownloader();
  ~FileDownloader();  // abandon()
  FileDownloader(const FileDownloader&) = delete;
  FileDownloader& operator=(const FileDownloader&) = delete;

  // Prepares the download of `request`: its temporary file and the handle's
  // URL. False when nothing can be downloaded (a relative path, a folder that
  // cannot be written to); then nothing is left behind.
  bool begin(const DownloadRequest& request);

  // The handle whose transfer fetches the begun download.
  CURL* handle() const { return easy_; }

  // The transfer ended with `result` (a CURLcode): the file is moved into place
  // when it succeeded. True when the file is there.
  bool finish(int result);

  // Gives up the begun download, if any: its temporary file is removed.
  void abandon();

 private:
  CURL* easy_;
  int fd_ = -1;  // the temporary file of the begun download
  std::string tempPath_;
  std::string targetPath_;
  std::set<std::string> cleanedFolders_;  // folders already rid of leftovers
  unsigned fileMode_;
};

}  // namespace harvel
