#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "downloader/curl_event_loop.h"
#include "downloader/download_limits.h"
#include "downloader/file_downloader.h"
#include "downloader/host_queue.h"
#include "downloader/leftover_copies.h"
#include "downloader/protocol/notice.h"
#include "downloader/protocol/request_text.h"
#include "downloader/protocol/staging_messages.h"
#include "downloader/staged_copy.h"
#include "downloader/temporary_file_record.h"

class QLocalSocket;

namespace harvel {

// Fetching ahead for the crawls that asked for it: each client's staged files
// are downloaded, up to the number of jobs it asked for at once and in the
// order they were staged, into hidden files in their target folders, all
// transfers driven by one libcurl multi handle from the event loop (one easy
// handle per transfer; connections to a server are reused). A request for a
// staged URL with the same Referer, size limit, min-picture and conditional
// validators into the same folder is answered from the staged copy, renamed
// into place under the name the request gives (or, for a copy the server
// answered 304, as not modified, with no file). Clients never see each other's
// copies; a copy that is unstaged, or whose client leaves, is removed. Copies
// not yet asked for never take more than half of the room left on the disk,
// nor its last 8 MiB, which the crawl's own files and record need. The names
// of the copies are also listed beside them, and the first time a folder is
// staged or asked into, the copies a downloader killed earlier left there are
// removed (LeftoverCopies). Each transfer waits for its host's turn
// (HostQueue): a client's later files to other hosts go first meanwhile.
class StagedTransfers {
 public:
  // A client is one connection to the downloader: what it stages is its own.
  using Client = const QLocalSocket*;
  // How a request taken from the staged copies ended (the count left empty);
  // `retry` when the copy failed for a reason that a download made now might
  // not meet (the connection, the disk, a server asking to come back later):
  // the request is then best downloaded the ordinary way, as it would have
  // been without staging, and `notice` means nothing.
  using Taken = std::function<void(DownloadNotice notice, bool retry)>;

  // `hosts`, shared with the ordinary downloads, must outlive the transfers.
  StagedTransfers(DownloadLimits limits, HostQueue& hosts);
  ~StagedTransfers();  // stop()
  StagedTransfers(const StagedTransfers&) = delete;
  StagedTransfers& operator=(const StagedTransfers&) = delete;

  // Each client holds at most this many copies not yet asked for: eight for
  // each of the most jobs a stage order can ask for, what a crawl uses.
  static constexpr std::size_t kCopiesPerClient = 8 * kMaxStageJobs;

  // False when the client holds kCopiesPerClient copies already: the order is
  // refused and changes nothing (its jobs count included). `connection`: the
  // client's settings now (null: the downloader's own); the copy is fetched
  // with them and serves only a request made with them.
  bool stage(Client client, const StagedFile& order,
             std::shared_ptr<const ConnectionSetup> connection = nullptr);
  void unstage(Client client, const std::string& url, const std::string& folder);
  // Every copy of `client` not yet asked for goes (the crawl ended or stopped).
  void unstageAll(Client client);
  // False when `client` has no copy of `request`'s URL staged into its folder
  // with its Referer, size limit, min-picture, if-none-match,
  // if-modified-since and connection settings;
  // otherwise `taken` is called once the copy is in place or has failed
  // (from inside this call when it is ready).
  bool take(Client client, const FileRequest& request,
            const std::shared_ptr<const ConnectionSetup>& connection, Taken taken);
  // The client left: its transfers end and its copies are removed; takes not
  // yet answered are answered as failed.
  void dropClient(Client client);
  // Everything ends at once, nobody is answered.
  void stop();

  // While one is held, no waiting transfer is started: the messages of one
  // read are all taken first, so that a batch of unstage orders never starts
  // (and sends to a server) a transfer that a later order of it removes.
  // What would have started then starts when the last hold ends.
  class StartHold {
   public:
    explicit StartHold(StagedTransfers& staged) : staged_(staged) { ++staged_.holds_; }
    ~StartHold();
    StartHold(const StartHold&) = delete;
    StartHold& operator=(const StartHold&) = delete;

   private:
    StagedTransfers& staged_;
  };

  // Called when the copy of an order that asked to be told (tellLanded) has
  // landed and waits to be asked for: where it lies, and how it ended.
  using Landed = std::function<void(Client client, const StagedFile& order, const std::string& path,
                                    const DownloadNotice& notice)>;
  void setLandedListener(Landed landed) { landed_ = std::move(landed); }

  // Where the temporary files of the transfers are named; none by default.
  void setTemporaryFileRecord(TemporaryFileRecord* record) { record_ = record; }

  std::size_t runningCount() const;  // transfers under way, all clients
  std::size_t stagedCount() const;   // copies held or on their way, all clients
  // Since the start: copies staged, and those removed without being asked for.
  std::size_t copiesStaged() const { return copiesStaged_; }
  std::size_t copiesUnused() const { return copiesUnused_; }

 private:
  enum class State { Waiting, Running, Done };
  struct Transfer {
    Client client;
    StagedFile order;
    std::shared_ptr<const ConnectionSetup> connection;
    State state = State::Waiting;
    std::unique_ptr<FileDownloader> file;  // while it runs
    std::unique_ptr<StagedCopy> copy;      // once it has landed
    DownloadNotice kept;
    std::chrono::steady_clock::time_point started;
    std::string takenPath;  // set once a request has asked for it
    Taken taken;
    bool contacted = false;  // it counts at its host while it runs
  };
  struct ClientQueue {
    int jobs = 1;
    std::deque<std::unique_ptr<Transfer>> transfers;  // in the order staged
    // The transfers not yet asked for, by Key(url, folder).
    std::unordered_map<std::string, Transfer*> untaken;
  };

  static std::string Key(const std::string& url, const std::string& folder);
  Transfer* find(Client client, const std::string& url, const std::string& folder);
  void startMore(Client client);
  // The first waiting transfer of `queue` whose host gives it its turn; one
  // that its host refuses is ended as failed on the way.
  Transfer* nextReady(Client client);
  // Whether a copy not yet asked for may be fetched into `folder` now.
  bool roomFor(const ClientQueue& queue, const std::string& folder) const;
  void start(Transfer& transfer);
  void finished(CURL* easy, int result);
  void answer(Transfer& transfer);  // a taken transfer that is done
  void remove(Transfer& transfer);  // ends it and forgets it
  // Its handle goes back to the idle ones, its transfer ended if running.
  void releaseDownloader(Transfer& transfer);
  std::unique_ptr<FileDownloader> freeDownloader();

  DownloadLimits limits_;
  HostQueue& hosts_;
  TemporaryFileRecord* record_ = nullptr;
  // What a downloader killed earlier left in the folders staged or asked into.
  LeftoverCopies leftovers_;
  CurlEventLoop loop_;
  std::map<Client, ClientQueue> clients_;
  std::map<CURL*, Transfer*> running_;
  std::vector<std::unique_ptr<FileDownloader>> idle_;  // reused handles
  bool starting_ = false;
  int holds_ = 0;
  std::vector<Client> held_;  // whose transfers wait for the holds to end
  Landed landed_;
  std::size_t copiesStaged_ = 0;
  std::size_t copiesUnused_ = 0;
};

}  // namespace harvel
