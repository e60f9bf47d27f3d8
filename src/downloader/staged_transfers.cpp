#include "downloader/staged_transfers.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <utility>

#include "common/path_text.h"
#include "downloader/failure_reason.h"

namespace harvel {
namespace {

// Handles kept for reuse when no transfer needs them.
constexpr std::size_t kIdleHandles = 16;

// Room that copies fetched ahead leave to what the crawl writes itself (its
// files, its record): a copy not yet asked for is started only while the
// folder's file system has this much free beyond twice what the client's
// copies hold, so they never take more than half of the room left.
constexpr std::uint64_t kRoomKept = 8u << 20;

// Bytes free for this user in the file system of `folder`; nullopt when it
// cannot be told.
std::optional<std::uint64_t> FreeBytes(const std::string& folder) {
  struct statvfs info {};
  if (statvfs(folder.c_str(), &info) != 0)
    return std::nullopt;
  return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

std::string FolderOfPath(const std::string& path) {
  return TextFromPath(PathFromText(path).parent_path());
}

// Failures that a download made at the time of the request might not meet:
// the ones the ordinary queue tries again itself, and the ones that happened
// here (the folder, the disk, a transfer that never reached a server). A
// server's answer (an error status, a body cut off, a transfer too slow, a
// redirect loop) would only be met again, and cost the server twice.
bool WorthAnotherTry(const DownloadNotice& notice) {
  if (notice.landed || notice.notModified)
    return false;
  return IsPassingFailure(notice) || notice.reason == failure::kUnwritable ||
         notice.reason == failure::kDiskFull ||
         (notice.reason == failure::kOther && notice.httpStatus == 0);
}

}  // namespace

StagedTransfers::StagedTransfers(DownloadLimits limits, HostQueue& hosts)
    : limits_(limits),
      hosts_(hosts),
      loop_([this](CURL* easy, int result) { finished(easy, result); }) {
  hosts_.addWaker(this, [this] {
    std::vector<Client> clients;
    for (const auto& [client, queue] : clients_)
      clients.push_back(client);
    for (Client client : clients)
      startMore(client);
  });
}

StagedTransfers::~StagedTransfers() {
  stop();
  hosts_.removeWaker(this);
}

std::string StagedTransfers::Key(const std::string& url, const std::string& folder) {
  return url + '\0' + folder;  // no URL holds a zero byte
}

StagedTransfers::Transfer* StagedTransfers::find(Client client, const std::string& url,
                                                 const std::string& folder) {
  auto queue = clients_.find(client);
  if (queue == clients_.end())
    return nullptr;
  const auto found = queue->second.untaken.find(Key(url, folder));
  return found == queue->second.untaken.end() ? nullptr : found->second;
}

bool StagedTransfers::stage(Client client, const StagedFile& order,
                            std::shared_ptr<const ConnectionSetup> connection) {
  leftovers_.folderUsed(order.folder());
  auto existing = clients_.find(client);
  if (existing != clients_.end()) {
    ClientQueue& queue = existing->second;
    if (queue.untaken.contains(Key(order.request.url, order.folder()))) {
      queue.jobs = std::max(1, order.jobs);
      return true;  // staged already
    }
    if (queue.untaken.size() >= kCopiesPerClient)
      return false;  // refused: nothing changes
  }
  ClientQueue& queue = clients_[client];
  queue.jobs = std::max(1, order.jobs);
  auto transfer = std::make_unique<Transfer>();
  transfer->client = client;
  transfer->order = order;
  transfer->connection = std::move(connection);
  queue.untaken.emplace(Key(order.request.url, order.folder()), transfer.get());
  queue.transfers.push_back(std::move(transfer));
  ++copiesStaged_;
  startMore(client);
  return true;
}

void StagedTransfers::unstage(Client client, const std::string& url, const std::string& folder) {
  if (Transfer* transfer = find(client, url, folder)) {
    remove(*transfer);
    startMore(client);
  }
}

void StagedTransfers::unstageAll(Client client) {
  auto queue = clients_.find(client);
  if (queue == clients_.end())
    return;
  std::vector<Transfer*> untaken;
  for (const auto& transfer : queue->second.transfers) {
    if (transfer->takenPath.empty())
      untaken.push_back(transfer.get());
  }
  for (Transfer* transfer : untaken)
    remove(*transfer);
  startMore(client);
}

StagedTransfers::StartHold::~StartHold() {
  if (--staged_.holds_ > 0)
    return;
  for (const Client client : std::exchange(staged_.held_, {}))
    staged_.startMore(client);
}

bool StagedTransfers::take(Client client, const FileRequest& request,
                           const std::shared_ptr<const ConnectionSetup>& connection, Taken taken) {
  const std::string folder = FolderOfPath(request.path);
  leftovers_.folderUsed(folder);
  Transfer* transfer = find(client, request.url, folder);
  if (transfer == nullptr)
    return false;
  if (!transfer->order.request.askedAlike(request) || transfer->connection != connection) {
    remove(*transfer);  // fetched otherwise than asked now: of no use
    startMore(client);
    return false;
  }
  clients_[client].untaken.erase(Key(transfer->order.request.url, transfer->order.folder()));
  transfer->takenPath = request.path;
  transfer->taken = std::move(taken);
  switch (transfer->state) {
    case State::Done:
      answer(*transfer);
      break;
    case State::Waiting: {
      // Asked for before its turn: it goes first among the waiting ones.
      auto& transfers = clients_[client].transfers;
      auto at = std::find_if(transfers.begin(), transfers.end(),
                             [&](const auto& t) { return t.get() == transfer; });
      auto first = std::find_if(transfers.begin(), transfers.end(),
                                [](const auto& t) { return t->state == State::Waiting; });
      std::rotate(first, at, std::next(at));
      startMore(client);
      break;
    }
    case State::Running:
      break;  // answered when it ends
  }
  return true;
}

void StagedTransfers::dropClient(Client client) {
  auto queue = clients_.find(client);
  if (queue == clients_.end())
    return;
  std::vector<Taken> unanswered;
  while (!queue->second.transfers.empty()) {
    Transfer& transfer = *queue->second.transfers.front();
    if (transfer.taken)
      unanswered.push_back(std::move(transfer.taken));
    remove(transfer);
  }
  clients_.erase(client);
  for (Taken& taken : unanswered)
    taken(DownloadNotice{}, false);
}

void StagedTransfers::stop() {
  held_.clear();
  for (auto& [client, queue] : clients_) {
    while (!queue.transfers.empty())
      remove(*queue.transfers.front());
  }
  clients_.clear();
}

std::size_t StagedTransfers::runningCount() const {
  return running_.size();
}

std::size_t StagedTransfers::stagedCount() const {
  std::size_t count = 0;
  for (const auto& [client, queue] : clients_)
    count += queue.transfers.size();
  return count;
}

std::unique_ptr<FileDownloader> StagedTransfers::freeDownloader() {
  if (idle_.empty()) {
    auto file = std::make_unique<FileDownloader>();
    file->setSpeedLimit(limits_.speed);
    file->setRecord(record_);
    return file;
  }
  std::unique_ptr<FileDownloader> file = std::move(idle_.back());
  idle_.pop_back();
  return file;
}

StagedTransfers::Transfer* StagedTransfers::nextReady(Client client) {
  for (;;) {
    auto queue = clients_.find(client);
    if (queue == clients_.end())
      return nullptr;
    Transfer* refused = nullptr;
    HostPacing::Turn refusal;
    for (const auto& transfer : queue->second.transfers) {
      if (transfer->state != State::Waiting)
        continue;
      const HostPacing::Turn turn = hosts_.turn(transfer->order.request.url, transfer->connection);
      if (turn.kind == HostPacing::Turn::Kind::Now)
        return transfer.get();
      if (turn.kind == HostPacing::Turn::Kind::Refused) {
        refused = transfer.get();
        refusal = turn;
        break;
      }
    }
    if (refused == nullptr)
      return nullptr;
    // Its host asked for a pause longer than is waited for: it fails as a
    // request for it would, and the search goes on.
    refused->state = State::Done;
    refused->kept = PausedTooLongNotice(HostQueue::HostOf(refused->order.request.url),
                                        refusal.asked, refusal.left, limits_.longestRetryPause);
    if (refused->taken)
      answer(*refused);
  }
}

void StagedTransfers::startMore(Client client) {
  // A transfer that ends at once is finished from inside start(): the loop
  // below, already at work, goes on with the next one.
  if (starting_)
    return;
  if (holds_ > 0) {
    if (std::find(held_.begin(), held_.end(), client) == held_.end())
      held_.push_back(client);
    return;
  }
  starting_ = true;
  for (;;) {
    auto queue = clients_.find(client);
    if (queue == clients_.end())
      break;
    auto& transfers = queue->second.transfers;
    const auto running = std::count_if(transfers.begin(), transfers.end(),
                                       [](const auto& t) { return t->state == State::Running; });
    if (running >= queue->second.jobs)
      break;
    Transfer* next = nextReady(client);
    if (next == nullptr)
      break;
    // One the crawl asks for now is fetched whatever the room.
    if (next->takenPath.empty() && !roomFor(clients_[client], next->order.folder()))
      break;
    start(*next);
  }
  starting_ = false;
}

void StagedTransfers::start(Transfer& transfer) {
  transfer.state = State::Running;
  transfer.started = std::chrono::steady_clock::now();
  transfer.file = freeDownloader();
  FileDownloader& file = *transfer.file;
  CURL* easy = file.handle();
  const StagedFile& order = transfer.order;
  // The name is given by the request that takes the copy.
  if (file.begin(order, transfer.connection)) {
    running_[easy] = &transfer;
    hosts_.started(order.request.url);
    transfer.contacted = true;
    if (loop_.start(easy)) {
      // Made while the server answers; a folder that cannot be written to
      // fails the transfer at its first byte.
      if (running_.count(easy) > 0)
        file.createFile();
      return;
    }
    running_.erase(easy);
  }
  // Never started: a failure here, worth trying again as an ordinary request.
  transfer.state = State::Done;
  transfer.kept = file.failure();
  transfer.kept.landed = false;
  releaseDownloader(transfer);
  if (transfer.taken)
    answer(transfer);
}

bool StagedTransfers::roomFor(const ClientQueue& queue, const std::string& folder) const {
  std::uint64_t held = 0;
  for (const auto& transfer : queue.transfers) {
    if (transfer->copy && transfer->takenPath.empty())
      held += static_cast<std::uint64_t>(std::max<std::int64_t>(0, transfer->kept.bytes));
  }
  const std::optional<std::uint64_t> free = FreeBytes(folder);
  return !free || *free >= 2 * held + kRoomKept;
}

void StagedTransfers::finished(CURL* easy, int result) {
  auto found = running_.find(easy);
  if (found == running_.end())
    return;
  Transfer& transfer = *found->second;
  running_.erase(found);
  transfer.state = State::Done;
  transfer.kept = transfer.file->keep(result);
  transfer.kept.elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - transfer.started)
                                .count();
  // A server that asks to be left alone is, by every transfer to it; the
  // request that takes this copy tries again after the pause.
  if (IsPassingFailure(transfer.kept) && transfer.kept.httpStatus != 0) {
    const auto asked = transfer.file->retryAfter();
    const auto pause = asked ? std::chrono::milliseconds(*asked) : limits_.retryPause;
    hosts_.pause(transfer.order.request.url, pause, limits_.longestRetryPause);
  }
  // libcurl's own clean-up, which waits for nothing of it.
  loop_.stop(easy);
  // While it waits to be asked for, the copy holds neither a descriptor nor
  // the transfer's handle, which goes to the next transfer.
  if (std::string path = transfer.file->releaseKept(); !path.empty()) {
    leftovers_.copyKept(transfer.order.folder(), path);
    transfer.copy = std::make_unique<StagedCopy>(std::move(path), record_);
  }
  releaseDownloader(transfer);
  const Client client = transfer.client;
  if (transfer.taken) {
    answer(transfer);
  } else if (transfer.order.tellLanded && transfer.kept.landed && transfer.copy && landed_) {
    landed_(client, transfer.order, transfer.copy->path(), transfer.kept);
  }
  startMore(client);
}

void StagedTransfers::answer(Transfer& transfer) {
  const bool retry = WorthAnotherTry(transfer.kept);
  DownloadNotice notice = transfer.kept;
  if (!retry && notice.landed) {
    const int error = transfer.copy ? transfer.copy->moveTo(transfer.takenPath) : EBADF;
    if (error != 0) {
      notice.landed = false;
      notice.reason = FileFailureReason(error);
      notice.reasonText = FileReasonText(error, transfer.takenPath);
    }
  }
  Taken taken = std::move(transfer.taken);
  remove(transfer);
  taken(std::move(notice), retry);
}

void StagedTransfers::releaseDownloader(Transfer& transfer) {
  if (transfer.contacted) {
    transfer.contacted = false;
    hosts_.ended(transfer.order.request.url);
  }
  if (!transfer.file)
    return;
  CURL* easy = transfer.file->handle();
  if (running_.erase(easy) > 0)
    loop_.stop(easy);
  transfer.file->abandon();
  if (idle_.size() < kIdleHandles)
    idle_.push_back(std::move(transfer.file));
  transfer.file.reset();
}

void StagedTransfers::remove(Transfer& transfer) {
  releaseDownloader(transfer);
  if (transfer.copy) {
    transfer.copy.reset();
    leftovers_.copyGone(transfer.order.folder());
  }
  auto queue = clients_.find(transfer.client);
  if (queue == clients_.end())
    return;
  if (transfer.takenPath.empty()) {
    queue->second.untaken.erase(Key(transfer.order.request.url, transfer.order.folder()));
    ++copiesUnused_;
  }
  auto& transfers = queue->second.transfers;
  transfers.erase(std::remove_if(transfers.begin(), transfers.end(),
                                 [&](const auto& t) { return t.get() == &transfer; }),
                  transfers.end());
}

}  // namespace harvel
