#pragma once

#include <memory>
#include <string>

namespace harvel {

// GetTxt, the crawl's mailbox: the downloader's notice is written into `text`.
// It lives exactly as long as the loaded crawl window; a notice for a window
// that has been unloaded finds no mailbox and is dropped.
struct Mailbox {
  std::string text;
  // Set by the channel when the downloader cannot be reached even after a
  // restart; the crawl then ends with this message instead of waiting forever.
  std::string channelError;
};

// The crawl's side of the download request channel.
class DownloadChannel {
 public:
  virtual ~DownloadChannel() = default;

  // Downloading: sends the request `url,path` and returns. Exactly one notice
  // follows, written into `mailbox` (if it still exists) once the download has
  // ended, successfully or not; or `channelError` is set.
  virtual void Downloading(const std::string& url, const std::string& path,
                           std::weak_ptr<Mailbox> mailbox) = 0;

  // Fetching ahead. A channel that can stage has the downloader fetch `url`
  // into a hidden file in `folder`, up to `jobs` of them at once, before the
  // crawl reaches its row; a later Downloading() of the same URL into that
  // folder is then answered from the staged copy, moved into place under the
  // name given then. A staged copy that is never asked for is removed by
  // Unstage() or when the connection ends. Staging never changes what a crawl
  // collects, only how soon its files are there.
  virtual bool canStage() const { return false; }
  virtual void Stage(const std::string& /*url*/, const std::string& /*folder*/, int /*jobs*/) {}
  virtual void Unstage(const std::string& /*url*/, const std::string& /*folder*/) {}
};

}  // namespace harvel
