#include "crawl/crawl_driver.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>
#include <utility>

#include "common/number_text.h"
#include "common/path_text.h"
#include "crawl/landed_file.h"
#include "crawl/link_extraction.h"
#include "crawl/mail_address_file.h"
#include "crawl/modern/modern_file_name.h"
#include "crawl/modern/modern_links.h"
#include "crawl/modern/modern_types.h"
#include "crawl/modern/untyped_picture.h"
#include "crawl/page_reader.h"
#include "crawl/row_plan.h"
#include "crawl/staging_lookahead.h"
#include "crawl/title_check.h"
#include "crawl/type_decision.h"
#include "crawl/wait_speed.h"

namespace harvel {
namespace {

constexpr const char* kStatusDownloading = "ダウンロード中...";
constexpr const char* kStatusProcessing = "処理中...";
constexpr std::string_view kMailto = "mailto:";
// One round of the notice wait at speed level 0: the pump sleeps until an event
// comes, and at the latest after this long the mailbox is looked at again.
constexpr std::chrono::milliseconds kNoticeRound{1000};

std::string TotalsText(std::int64_t downCnt, std::size_t rowsLeft) {
  return "ダウンロード総数:" + DecimalText(downCnt) + " (残りの数：" +
         DecimalText(static_cast<std::int64_t>(rowsLeft)) + " )";
}

class CrawlDriver {
 public:
  CrawlDriver(CrawlContext& context, std::shared_ptr<CrawlState> state)
      : context_(context), options_(context.options), state_(std::move(state)), s_(*state_) {}

  CrawlOutcome run() {
    s_.running = true;
    for (;;) {
      while (!s_.rows.empty()) {
        switch (handleRow()) {
          case Step::Next:
            break;
          case Step::Closed:
            return finish(CrawlOutcome::Closed);
          case Step::ChannelFailed:
            return finish(failChannel());
        }
      }
      if (const std::optional<CrawlOutcome> outcome = complete())
        return finish(*outcome);
    }
  }

 private:
  enum class Step { Next, Closed, ChannelFailed };

  CrawlOutcome finish(CrawlOutcome outcome) {
    lookahead_.dropAll();
    s_.running = false;
    return outcome;
  }

  // SaveFile from the target's folder on. The "=" filter and the "mailto:" tests
  // look at this part only, so that where Harvel's folder lies (a --dir holding
  // "=") cannot change what a crawl collects.
  std::string_view belowHarvelFolder() const {
    return std::string_view(s_.SaveFile).substr(context_.harvelFolder.size());
  }

  // WaitSpeed; false once the window has been closed meanwhile.
  bool pace() {
    WaitSpeed(context_.pump, options_);
    return !s_.closed;
  }

  Step handleRow() {
    const CrawlTarget row = s_.rows.front();
    s_.CurURL = row.url;
    referer_ = s_.referers.empty() ? std::string() : s_.referers.front();
    s_.SaveFolder = RowFolder(context_, row);
    s_.SaveFile = RowSaveFile(context_, s_.SaveFolder, s_.CurURL);
    if (const std::optional<std::int16_t> level = TextToInt16(row.level))
      s_.Level = *level;
    // A title that leads out of Harvel's folder gets nothing written for it.
    const bool folderIsSafe = !TitleIsRefused(row.title);
    // A folder that cannot be made fails the row: nothing is asked for it.
    const bool folderIsMade = folderIsSafe && makeSaveFolder();
    lookahead_.beforeRow(s_);
    if (!pace())
      return Step::Closed;

    if (folderIsMade) {
      const Step step = fetchRow(row);
      if (step != Step::Next)
        return step;
    }

    context_.removeFirstRow(s_);
    if (!pace())
      return Step::Closed;
    context_.setStatus(s_, 2, TotalsText(s_.DownCnt, s_.rows.size()));
    return Step::Next;
  }

  bool makeSaveFolder() {
    std::error_code error;
    std::filesystem::create_directory(PathFromText(s_.SaveFolder), error);
    if (!error)
      return true;
    reportFailed(s_.CurURL, s_.SaveFile, "folder",
                 "the folder " + s_.SaveFolder + " cannot be made: " + error.message());
    return false;
  }

  // The row's plan (numbering, the type decision, the "=" filter, mail rows,
  // the scheme, what the channel carries), the request and its notice, and the
  // page. Returning Next goes on with removing the row.
  Step fetchRow(const CrawlTarget& row) {
    const RowPlan plan = PlanRow(context_, s_, row, referer_);
    s_.SaveFile = plan.saveFile;
    switch (plan.action) {
      case RowAction::Skip:
        return Step::Next;
      case RowAction::Mail:
        writeMailAddress();
        break;
      case RowAction::RefusedScheme:
      case RowAction::TooLong:
      case RowAction::Request: {
        if (plan.claim)
          RecordClaim(s_.modern, plan.unclaimedFile, *plan.claim, s_.CurURL);
        bool landed = false;
        const Step step = requestDownload(plan, landed);
        if (step != Step::Next || !landed)
          return step;  // a file that did not land is not read for links
        if (options_.on(Check::ModernPages))
          AfterModernDownload(context_, s_, referer_.empty());
        break;
      }
    }
    if (!RowIsPage(s_, options_))
      return Step::Next;
    return readPage();
  }

  void writeMailAddress() {
    const std::size_t mailto = belowHarvelFolder().find(kMailto);
    if (!options_.on(Check::Mail) ||
        AppendMailAddress(s_.SaveFolder,
                          std::string(belowHarvelFolder().substr(mailto + kMailto.size())))) {
      ++s_.DownCnt;
    } else {
      const std::string mailFile = MailAddressFilePath(s_.SaveFolder);
      reportFailed(s_.CurURL, mailFile, "mail-file",
                   "the address cannot be written to " + mailFile);
    }
  }

  Step requestDownload(const RowPlan& plan, bool& landed) {
    const FileRequest& request = plan.request;
    // What the downloader would refuse or the channel cannot carry is a failed
    // row at once; the crawl goes on.
    if (plan.action == RowAction::RefusedScheme) {
      reportFailed(request.url, request.path, "refused-scheme",
                   "only http, https and ftp are downloaded");
      return Step::Next;
    }
    if (plan.action == RowAction::TooLong) {
      reportFailed(request.url, request.path, "too-long",
                   "the link is too long to send to the downloader");
      return Step::Next;
    }
    context_.setStatus(s_, 1, kStatusDownloading);
    // Copied before the call: the notice may come while the call is under way.
    s_.TmpStr = s_.mailbox->text;
    lookahead_.requested(request.url, plan.saveFolder);
    if (context_.observer != nullptr)
      context_.observer->requestStarted(request);
    context_.channel.Downloading(request, s_.mailbox);
    if (s_.closed)
      return Step::Closed;
    context_.setStatus(s_, 1, kStatusProcessing);
    const Step step = waitForNotice();
    if (step != Step::Next)
      return step;
    const DownloadOutcome outcome = s_.mailbox->outcome;
    report(RequestRecord{request.url, request.path, outcome});
    // A picture left out as too small is neither counted nor read.
    landed = outcome.landed && !outcome.tooSmall;
    if (landed)
      ++s_.DownCnt;
    return Step::Next;
  }

  // A row that failed before or without a request: it is reported as a failed
  // download is.
  void reportFailed(const std::string& url, const std::string& path, const char* reason,
                    std::string text) {
    DownloadOutcome outcome;
    outcome.landed = false;
    outcome.reason = reason;
    outcome.reasonText = std::move(text);
    outcome.detailed = true;
    report(RequestRecord{url, path, std::move(outcome)});
  }

  void report(const RequestRecord& record) {
    if (context_.observer != nullptr)
      context_.observer->requestEnded(record);
  }

  Step waitForNotice() {
    for (;;) {
      if (s_.closed)
        return Step::Closed;
      const Mailbox& mailbox = *s_.mailbox;
      if (!mailbox.channelError.empty())
        return Step::ChannelFailed;
      if (mailbox.text != s_.TmpStr)
        break;
      if (options_.speedLevel() <= 0) {
        context_.pump.waitForEvents(kNoticeRound);
        if (!s_.closed)
          lookahead_.whileWaiting(s_);
      } else {
        WaitSpeed(context_.pump, options_);
      }
    }
    return Step::Next;
  }

  Step readPage() {
    if (options_.on(Check::ModernPages))
      return ReadModernPage(context_, s_) == ScanEnd::Closed ? Step::Closed : Step::Next;
    // The page read for links, starting with CR LF.
    std::string page;
    const PageRead read = ReadPage(s_.SaveFile, page, [this] { return pace(); });
    if (read == PageRead::Stopped)
      return Step::Closed;
    if (read != PageRead::Read)
      return Step::Next;  // no links and no keep rule

    for (const char* key : {"src=", "SRC="}) {
      if (SearchStr(context_, s_, page, key) == ScanEnd::Closed)
        return Step::Closed;
    }
    // Page links taken by the "src=" scans have lowered the level already.
    if (s_.Level > 0) {
      for (const char* key : {"href=", "HREF="}) {
        if (SearchStr(context_, s_, page, key) == ScanEnd::Closed)
          return Step::Closed;
      }
    }
    if (PageIsDropped(s_.SaveFile, options_, context_.userExt))
      DropLandedFile(s_);
    return pace() ? Step::Next : Step::Closed;
  }

  // nullopt when a target was started during the pause: the crawl goes on with it.
  std::optional<CrawlOutcome> complete() {
    context_.setCaption(s_, CrawlSession::kCaptionCompleted);
    // Without a pause the pending events are still handled once, so a start
    // made meanwhile is taken.
    if (context_.completionPauseMs > 0) {
      PumpWait(context_.pump, context_.completionPauseMs);
    } else {
      context_.pump.processPendingEvents();
    }
    if (s_.closed)
      return CrawlOutcome::Closed;
    if (!s_.rows.empty()) {
      context_.setCaption(s_, CrawlSession::kCaptionCrawling);
      return std::nullopt;
    }
    if (options_.on(Check::FolderOpen) && !s_.SaveFolder.empty()) {
      context_.shell.openFolder(s_.SaveFolder);
    }
    context_.unload();
    return CrawlOutcome::Completed;
  }

  CrawlOutcome failChannel() {
    const std::string message = s_.mailbox->channelError;
    context_.errorText = message;
    context_.setStatus(s_, 1, message);
    context_.unload();
    return CrawlOutcome::ChannelFailed;
  }

  CrawlContext& context_;
  const CrawlOptions& options_;
  std::shared_ptr<CrawlState> state_;  // keeps the state alive after the window lets go
  CrawlState& s_;
  StagingLookahead lookahead_{context_};
  std::string referer_;  // the page that linked the row being handled
};

}  // namespace

CrawlOutcome SearchStart(CrawlContext& context) {
  std::shared_ptr<CrawlState> state = context.state;
  if (!state)
    return CrawlOutcome::Closed;
  if (state->running)
    return CrawlOutcome::AlreadyRunning;
  context.errorText.clear();
  return CrawlDriver(context, std::move(state)).run();
}

}  // namespace harvel
