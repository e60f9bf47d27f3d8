#pragma once

#include <cstddef>
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

  // Prepares the download of `request`: the handle's URL and where the file
  // goes. False for a path that is not absolute or names no file.
  bool begin(const DownloadRequest& request);

  // The handle whose transfer fetches the begun download.
  CURL* handle() const { return easy_; }

  // Makes the temporary file of the begun download, if not made yet: best
  // called once the request is on its way, so that it is done while the
  // server answers. False when the folder cannot be written to.
  bool createFile();

  // The transfer ended with `result` (a CURLcode): the file is moved into place
  // when it succeeded. True when the file is there.
  bool finish(int result);

  // Gives up the begun download, if any: its temporary file is removed.
  void abandon();

  // Fetching ahead: the target's name is not known while the transfer runs.
  // beginStaged() prepares a download into a hidden file in `folder`; keep()
  // ends the transfer but keeps that file, still locked, until commit() moves
  // it to its name or abandon() removes it.
  enum class Kept {
    Kept,     // the body is in the hidden file
    Refused,  // the server answered with an error status: nothing to keep
    Failed,   // the transfer or the file failed here: worth trying again
  };
  bool beginStaged(const std::string& url, const std::string& folder);
  Kept keep(int result);
  bool commit(const std::string& path);

 private:
  static size_t writeBody(char* data, size_t size, size_t count, void* self);

  CURL* easy_;
  bool begun_ = false;
  int fd_ = -1;  // the temporary file of the begun download, once made
  std::string folder_;
  std::string tempPath_;
  std::string targetPath_;
  bool kept_ = false;  // keep() holds the file for commit()
  unsigned fileMode_;
};

}  // namespace harvel
