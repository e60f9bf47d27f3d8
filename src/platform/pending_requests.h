#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "crawl/download_channel.h"
#include "downloader/protocol/notice.h"

namespace harvel {

// The requests sent to the downloader and not answered yet, in the order
// sent (the downloader answers them in that order), with the mailbox each
// notice goes to.
//
// A restarted downloader counts from 0 again, and a crawl goes on only when
// its mailbox text changes: after a restart the counts written are shifted
// past the last one written, so they keep growing.
class PendingRequests {
 public:
  void add(FileRequest request, std::weak_ptr<Mailbox> mailbox);
  bool empty() const { return requests_.empty(); }
  const FileRequest& newest() const { return requests_.back().request; }

  // The notice of the oldest request: written into its mailbox, its outcome
  // first and then its count, if the mailbox still exists (a notice for a
  // crawl window that has been unloaded is dropped). False when none waits.
  bool answer(const DownloadNotice& notice);

  // A downloader that may count from 0 again now answers: `send` sends each
  // request again. False, and nothing more is sent, when a request has been
  // sent again too often or `send` fails.
  bool resendAll(const std::function<bool(const FileRequest&)>& send);

  // Each waiting mailbox gets `message` as its channelError; none waits any more.
  void failAll(const std::string& message);
  void clear() { requests_.clear(); }

 private:
  struct Pending {
    FileRequest request;
    std::weak_ptr<Mailbox> mailbox;
    int resends = 0;
  };
  std::string countText(const std::string& notice);

  std::deque<Pending> requests_;
  std::int64_t countOffset_ = 0;  // added to the downloader's counts after a restart
  std::int64_t lastCountWritten_ = -1;
};

}  // namespace harvel
