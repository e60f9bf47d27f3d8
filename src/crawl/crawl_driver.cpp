#include "crawl/crawl_driver.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>
#include <utility>

#include "common/number_text.h"
#include "common/path_text.h"
#include "crawl/crawl_texts.h"
#include "crawl/link_extraction.h"
#include "crawl/mail_address_file.h"
#include "crawl/modern/modern_file_name.h"
#include "crawl/name_claim.h"
#include "crawl/next_page_link.h"
#include "crawl/next_pages.h"
#include "crawl/option_table.h"
#include "crawl/page_reader.h"
#include "crawl/record_status_text.h"
#include "crawl/requests_ahead.h"
#include "crawl/row_plan.h"
#include "crawl/sequential_name.h"
#include "crawl/staging_lookahead.h"
#include "crawl/type_decision.h"
#include "crawl/wait_speed.h"

namespace harvel {
namespace {

constexpr const char* kStatusDownloading = "ダウンロード中...";
// A page opened in the browser: while it is, and how long it took.
constexpr const char* kStatusRendering = "ブラウザで表示中...";
constexpr const char* kStatusRenderingProcessing = "処理中...(ブラウザで表示中)";

std::string RenderedStatusText(std::int64_t elapsedMs) {
  char seconds[64];
  std::snprintf(seconds, sizeof seconds, "処理中...(ブラウザで表示: %" PRId64 ".%01" PRId64 " 秒)",
                elapsedMs / 1000, elapsedMs % 1000 / 100);
  return seconds;
}
constexpr const char* kStatusProcessing = "処理中...";
// One round of the notice wait at speed level 0: the pump sleeps until an event
// comes, and at the latest after this long the mailbox is looked at again.
constexpr std::chrono::milliseconds kNoticeRound{1000};

DownloadOutcome FailedOutcome(const char* reason, std::string text) {
  DownloadOutcome outcome;
  outcome.landed = false;
  outcome.reason = reason;
  outcome.reasonText = std::move(text);
  outcome.detailed = true;
  return outcome;
}

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
        if (!waitWhilePaused())
          return finish(CrawlOutcome::Closed);
        switch (handleRow()) {
          case Step::Next:
            break;
          case Step::Closed:
            return finish(CrawlOutcome::Closed);
          case Step::ChannelFailed:
            return finish(failChannel());
          case Step::RecordFailed:
            return finish(failRecord());
        }
      }
      if (const std::optional<CrawlOutcome> outcome = complete())
        return finish(*outcome);
    }
  }

 private:
  enum class Step { Next, Closed, ChannelFailed, RecordFailed };

  CrawlOutcome finish(CrawlOutcome outcome) {
    ahead_.clear();  // their notices are dropped
    lookahead_.dropAll();
    if (context_.collected != nullptr)
      context_.collected->closeAll();
    s_.running = false;
    return outcome;
  }

  // The only-new option is on (read at each decision, like every option).
  bool recording() const { return options_.onlyNew(); }

  // False after a call of the record that failed: the crawl stops.
  bool recordAnswered() {
    recordError_ = context_.collected == nullptr ? std::string() : context_.collected->error();
    return recordError_.empty();
  }

  // Sleeps in the event loop while the crawl is paused; false once the window
  // has been closed meanwhile.
  bool waitWhilePaused() {
    while (s_.paused && !s_.closed)
      context_.pump.waitForEvents(std::chrono::milliseconds(kPausedWakeMs));
    return !s_.closed;
  }
  static constexpr int kPausedWakeMs = 500;

  // WaitSpeed; false once the window has been closed meanwhile.
  bool pace() {
    WaitSpeed(context_.pump, options_);
    return !s_.closed;
  }

  Step handleRow() {
    const CrawlTarget row = s_.rows.front();
    s_.CurURL = row.url;
    referer_ = s_.referers.empty() ? std::string() : s_.referers.front();
    nextPageChain_ = TakeNextPageChain(s_, row.url);
    if (const std::optional<std::int16_t> level = TextToInt16(row.level))
      s_.Level = *level;
    // A title that leads out of Harvel's folder gets nothing written for it
    // (the folder opened at the end stays the last one made), and a folder
    // that cannot be made fails the row: nothing is asked for it.
    const std::optional<std::string> folder = RowFolder(context_, row);
    if (folder)
      s_.SaveFolder = *folder;
    std::optional<RowPlan> plan;
    // A row whose request went ahead was decided then, in a folder made already.
    std::optional<RequestsAhead::Sent> sent = ahead_.take(row.url);
    if (sent && folder) {
      plan = std::move(sent->plan);
      s_.SaveFile = plan->saveFile;
    } else if (folder && makeSaveFolder()) {
      if (recording() && !openRecord())
        return Step::RecordFailed;
      plan = PlanRow(context_, s_, row, referer_);
      if (recording() && !recordAnswered())
        return Step::RecordFailed;
      s_.SaveFile = plan->saveFile;
    } else {
      s_.SaveFile.clear();
    }
    lookahead_.beforeRow(s_, plan ? &*plan : nullptr);
    if (!pace())
      return Step::Closed;

    if (plan) {
      const Step step = fetchRow(*plan, sent ? sent->mailbox : nullptr);
      if (step != Step::Next)
        return step;
    }

    context_.removeFirstRow(s_);
    if (!pace())
      return Step::Closed;
    context_.setStatus(s_, 2, TotalsText(s_.DownCnt, s_.rows.size()));
    return Step::Next;
  }

  // The row's folder, made once for the rows of the same folder that follow
  // each other.
  bool makeSaveFolder() {
    if (s_.SaveFolder == madeFolder_)
      return true;
    std::error_code error;
    std::filesystem::create_directory(PathFromText(s_.SaveFolder), error);
    if (!error) {
      madeFolder_ = s_.SaveFolder;
      return true;
    }
    madeFolder_.clear();
    reportFailed(s_.CurURL, RowSaveFile(context_.readers.forRow(), s_.SaveFolder, s_.CurURL),
                 "folder", "the folder " + s_.SaveFolder + " cannot be made: " + error.message());
    return false;
  }

  // The record of the row's folder, opened at the folder's first row; false
  // when it cannot be used.
  bool openRecord() {
    const RecordStatus status = OpenRecord(context_.collected, s_.SaveFolder);
    if (status.state == RecordStatus::State::Unusable) {
      recordError_ = RecordStatusText(status);
      return false;
    }
    if (status.state == RecordStatus::State::Restarted && context_.observer != nullptr)
      context_.observer->recordRestarted(status);
    return true;
  }

  // What the row's plan says (numbering, the type decision, the "=" filter,
  // mail rows, the scheme, what the channel carries): the request and its
  // notice, and the page. Returning Next goes on with removing the row.
  // `sent`: the mailbox of the row's request when it went ahead.
  Step fetchRow(const RowPlan& plan, const std::shared_ptr<Mailbox>& sent) {
    switch (plan.action) {
      case RowAction::Skip:
        if (!plan.refusal.empty() && context_.observer != nullptr)
          context_.observer->rowRefused(plan.request.url, plan.refusal);
        return Step::Next;
      case RowAction::Collected: {
        DownloadOutcome outcome;
        outcome.landed = false;
        outcome.alreadyCollected = true;
        outcome.detailed = true;
        report(RequestRecord{s_.CurURL, plan.saveFile, outcome});
        return Step::Next;
      }
      case RowAction::Mail:
        writeMailAddress();
        break;
      case RowAction::RefusedScheme:
      case RowAction::TooLong:
      case RowAction::Request: {
        RowPlan claimed = plan;
        std::optional<NameClaim> name;
        if (plan.action == RowAction::Request && options_.on(Check::Renban) && !sent) {
          name = claimName(claimed);
          if (!name)
            return Step::Next;  // every number is taken: skip rather than overwrite
        }
        if (claimed.claim && !sent)
          RecordClaim(s_.modern, claimed.unclaimedFile, *claimed.claim, s_.CurURL);
        return fetchFile(claimed, sent);
      }
    }
    if (!plan.readsForLinks(s_.SaveFile, nullptr))
      return Step::Next;
    return readPage(plan, nullptr, nullptr);
  }

  // With numbering on, the name the row's file lands under is taken before it
  // is asked for, so that another crawl of the folder cannot take it too.
  std::optional<NameClaim> claimName(RowPlan& plan) {
    const auto recorded = [&](const std::string& name) {
      return recording() && context_.collected != nullptr &&
             context_.collected->holdsName(plan.saveFolder, name);
    };
    std::optional<NameClaim> claim = NameClaim::Take(plan.plainFile, plan.request.path, recorded);
    if (claim && claim->path() != plan.request.path) {
      plan.saveFile = plan.request.path = claim->path();
      if (plan.claim)
        plan.claim->path = claim->path();
      s_.SaveFile = plan.saveFile;
    }
    return claim;
  }

  // The row's request, its notice, and what follows: an unchanged page gives
  // its recorded links; with the only-new option a landed file goes into the
  // record (or, repeating one of the folder, is removed), a page read its links.
  Step fetchFile(const RowPlan& plan, const std::shared_ptr<Mailbox>& sent) {
    DownloadOutcome outcome;
    const Step step = requestDownload(plan, outcome, sent);
    if (step != Step::Next)
      return step;
    RequestRecord record{plan.request.url, plan.request.path, outcome};
    if (outcome.notModified) {
      report(record);
      return readRecordedLinks(*plan.reader);
    }
    if (!outcome.landed) {
      report(record);
      return Step::Next;  // a file that did not land is not read for links
    }
    plan.settleLanded(context_, s_);
    const bool page = plan.readsForLinks(s_.SaveFile, &outcome);
    if (!page && recording()) {
      const Step recorded = recordLanded(plan.plainFile, record);
      if (recorded != Step::Next)
        return recorded;
    }
    report(record);
    if (!page)
      return Step::Next;
    return readPage(plan, &outcome, recording() ? &record : nullptr);
  }

  void writeMailAddress() {
    if (!options_.on(Check::Mail) ||
        AppendMailAddress(s_.SaveFolder, MailAddressOf(BelowHarvelFolder(context_, s_.SaveFile)))) {
      ++s_.DownCnt;
    } else {
      const std::string mailFile = MailAddressFilePath(s_.SaveFolder);
      reportFailed(s_.CurURL, mailFile, "mail-file",
                   "the address cannot be written to " + mailFile);
    }
  }

  // The landed file of the row goes into the record, or, when it repeats a
  // file of the folder, is removed and counted as collected already.
  Step recordLanded(const std::string& plainFile, RequestRecord& record) {
    LandedFile landed{s_.CurURL,           record.outcome.finalUrl,     s_.SaveFile,
                      record.outcome.etag, record.outcome.lastModified, {}};
    landed.earlierNames = EarlierNames(plainFile, s_.SaveFile);
    const LandedVerdict verdict = context_.collected->fileLanded(s_.SaveFolder, landed);
    if (verdict.kind == LandedVerdict::Kind::Failed) {
      recordAnswered();
      return Step::RecordFailed;
    }
    if (verdict.kind == LandedVerdict::Kind::Copy) {
      --s_.DownCnt;
      record.path = verdict.keptPath;
      record.outcome.landed = false;
      record.outcome.alreadyCollected = true;
    }
    return Step::Next;
  }

  // An unchanged page: the links it had when it was read, queued as reading
  // it would queue them.
  Step readRecordedLinks(const PageReader& reader) {
    PageLinks recorded;
    if (!context_.collected->pageLinks(s_.SaveFolder, s_.CurURL, recorded))
      return recordAnswered() ? Step::Next : Step::RecordFailed;
    for (const LinkText& link : recorded.links) {
      if (link.kind == kNextPageLinkKind && recorded.reader == reader.name())
        QueueNextPage(context_, s_, link.text, nextPageChain_);
    }
    CrawlRowVisit visit(context_, s_);
    if (reader.takeRecorded(recorded, s_.CurURL, s_.Level, visit) == ScanEnd::Closed)
      return Step::Closed;
    return pace() ? Step::Next : Step::Closed;
  }

  // Sends the plan's request and waits for its notice. What the downloader
  // would refuse or the channel cannot carry fails at once; the crawl goes on.
  Step requestDownload(const RowPlan& plan, DownloadOutcome& outcome,
                       const std::shared_ptr<Mailbox>& sent) {
    const FileRequest& request = plan.request;
    if (plan.action == RowAction::RefusedScheme) {
      outcome = FailedOutcome("refused-scheme", "only http, https and ftp are downloaded");
      return Step::Next;
    }
    if (plan.action == RowAction::TooLong) {
      outcome = FailedOutcome("too-long", "the link is too long to send to the downloader");
      return Step::Next;
    }
    context_.setStatus(s_, 1, request.renderScrolls > 0 ? kStatusRendering : kStatusDownloading);
    // Copied before the call: the notice may come while the call is under way.
    s_.TmpStr = s_.mailbox->text;
    lookahead_.requested(request.url, plan.saveFolder);
    if (context_.observer != nullptr)
      context_.observer->requestStarted(request);
    if (!sent)
      context_.channel.Downloading(request, s_.mailbox);
    if (s_.closed)
      return Step::Closed;
    sendAhead(plan);
    const bool rendering = request.renderScrolls > 0;
    context_.setStatus(s_, 1, rendering ? kStatusRenderingProcessing : kStatusProcessing);
    const Step step = sent ? waitForNotice(*sent, std::string()) : waitForNotice();
    if (step != Step::Next)
      return step;
    if (sent) {
      // The window's mailbox shows every notice, as when it came there.
      s_.mailbox->outcome = sent->outcome;
      s_.mailbox->text = sent->text;
    }
    outcome = s_.mailbox->outcome;
    if (outcome.rendered)
      context_.setStatus(s_, 1, RenderedStatusText(outcome.elapsedMs));
    // A picture left out as too small is neither counted nor read.
    if (outcome.landed && !outcome.tooSmall)
      ++s_.DownCnt;
    return Step::Next;
  }

  // While row 1's notice is awaited, the requests of the rows after it go
  // ahead, as many as downloads run at once: rows decided now as they would
  // be when the crawl reaches them, since nothing before them is read for
  // links and each lands under the name it is asked for. The first row that
  // may be read for links, or lies in another folder, ends the run: rows
  // after it may be queued behind rows it brings.
  void sendAhead(const RowPlan& first) {
    if (!context_.channel.sendsAhead() || options_.speedLevel() > 0 ||
        !MaySendAhead(first, options_) || first.saveFolder != madeFolder_)
      return;
    const auto window = static_cast<std::size_t>(std::clamp(options_.jobs(), 1, kMaxJobs));
    for (std::size_t i = 1; i < s_.rows.size() && ahead_.size() < window; ++i) {
      const CrawlTarget& row = s_.rows[i];
      if (ahead_.holds(row.url))
        continue;
      if (RowFolder(context_, row) != madeFolder_)
        return;
      const std::string referer = i < s_.referers.size() ? s_.referers[i] : std::string();
      RowPlan plan = PlanRow(context_, s_, row, referer);
      switch (plan.action) {
        case RowAction::Skip:
        case RowAction::RefusedScheme:
        case RowAction::TooLong:
          continue;  // no request: decided when the crawl reaches it
        case RowAction::Request:
          break;
        case RowAction::Mail:
        case RowAction::Collected:
          return;
      }
      // Two requests for one file land in the order the crawl makes them.
      if (!MaySendAhead(plan, options_) || plan.request.path == first.request.path ||
          ahead_.writes(plan.request.path))
        return;
      if (plan.claim)
        RecordClaim(s_.modern, plan.unclaimedFile, *plan.claim, row.url);
      lookahead_.sentAhead(row.url, plan.saveFolder);
      RequestsAhead::Sent sent{row.url, std::move(plan)};
      context_.channel.Downloading(sent.plan.request, sent.mailbox);
      ahead_.add(std::move(sent));
    }
  }

  // A row that failed before or without a request: it is reported as a failed
  // download is.
  void reportFailed(const std::string& url, const std::string& path, const char* reason,
                    std::string text) {
    report(RequestRecord{url, path, FailedOutcome(reason, std::move(text))});
  }

  void report(const RequestRecord& record) {
    if (context_.observer != nullptr)
      context_.observer->requestEnded(record);
  }

  Step waitForNotice() {
    if (s_.closed)
      return Step::Closed;
    return waitForNotice(*s_.mailbox, s_.TmpStr);
  }

  // Until `mailbox` no longer holds `before`.
  Step waitForNotice(const Mailbox& mailbox, const std::string& before) {
    for (;;) {
      if (s_.closed)
        return Step::Closed;
      if (!mailbox.channelError.empty()) {
        if (&mailbox != s_.mailbox.get())
          s_.mailbox->channelError = mailbox.channelError;
        return Step::ChannelFailed;
      }
      if (mailbox.text != before)
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

  // Reads the page of the row for links with the plan's reader; with `landed`
  // (the only-new option), what it linked goes into the record with the
  // validators of its notice (a page that could not be read whole is
  // forgotten there, so it is asked for in full next time). `outcome`: how
  // the row's request ended; nullptr for a row that sent none (a mail row).
  Step readPage(const RowPlan& plan, const DownloadOutcome* outcome, const RequestRecord* landed) {
    const PageReader& reader = *plan.reader;
    CrawlRowVisit visit(context_, s_);
    // A page read ahead is not read again when its copy is the file that landed.
    std::optional<PageFound> ahead;
    if (outcome != nullptr)
      ahead = lookahead_.pageReadAhead(s_.CurURL, s_.SaveFolder, s_.SaveFile);
    const PageFound page =
        ahead ? std::move(*ahead) : reader.read(s_.SaveFile, s_.CurURL, outcome, visit);
    if (page.end == PageRead::Stopped)
      return Step::Closed;
    if (landed != nullptr) {
      const PageLinks links{reader.name(), reader.recordedLinks(page)};
      if (!recordPage(*landed, page.end == PageRead::Read, links))
        return Step::RecordFailed;
    }
    if (page.end != PageRead::Read)
      return Step::Next;  // no links and no keep rule
    QueueNextPage(context_, s_, page.nextPage, nextPageChain_);
    if (reader.takeLinks(page, s_.Level, visit) == ScanEnd::Closed)
      return Step::Closed;
    if (plan.dropsAfterReading(s_.SaveFile, outcome))
      s_.dropLandedFile();
    return pace() ? Step::Next : Step::Closed;
  }

  // nullopt when a target was started during the pause: the crawl goes on with it.
  std::optional<CrawlOutcome> complete() {
    context_.setCaption(s_, kCaptionCompleted);
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
      context_.setCaption(s_, kCaptionCrawling);
      return std::nullopt;
    }
    if (options_.on(Check::FolderOpen) && !s_.SaveFolder.empty()) {
      context_.shell.openFolder(s_.SaveFolder);
    }
    context_.unload();
    return CrawlOutcome::Completed;
  }

  // The page of the row as read: its links, or, when it could not be read
  // whole, nothing (it is asked for in full next time).
  bool recordPage(const RequestRecord& landed, bool readWhole, const PageLinks& links) {
    LandedFile page{s_.CurURL, landed.outcome.finalUrl, s_.SaveFile, {}, {}, {}};
    if (readWhole) {
      page.etag = landed.outcome.etag;
      page.lastModified = landed.outcome.lastModified;
    }
    if (context_.collected->pageRead(s_.SaveFolder, page, links))
      return true;
    recordAnswered();
    return false;
  }

  CrawlOutcome failRecord() {
    context_.errorText = recordError_;
    context_.setStatus(s_, 1, recordError_);
    context_.unload();
    return CrawlOutcome::RecordFailed;
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
  RequestsAhead ahead_;      // requests sent before the crawl reached their rows
  std::string referer_;      // the page that linked the row being handled
  int nextPageChain_ = 0;    // how many next-page links led to it
  std::string recordError_;  // why the record could not be used
  std::string madeFolder_;   // the folder made for the row before
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
