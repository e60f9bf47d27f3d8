#include "crawl/crawl_session.h"

#include "crawl/crawl_context.h"
#include "crawl/crawl_driver.h"
#include "crawl/mail_address_file.h"
#include "crawl/record_status_text.h"
#include "crawl/title_check.h"

namespace harvel {

struct CrawlSession::Impl : CrawlContext {
  using CrawlContext::CrawlContext;
};

CrawlSession::CrawlSession(const CrawlOptions& options, EventPump& pump, DownloadChannel& channel,
                           Shell& shell, std::string harvelFolder)
    : impl_(std::make_unique<Impl>(options, pump, channel, shell, std::move(harvelFolder))) {}

CrawlSession::~CrawlSession() = default;

void CrawlSession::setObserver(CrawlObserver* observer) {
  impl_->observer = observer;
}

void CrawlSession::setCollectedFiles(CollectedFiles* collected) {
  impl_->collected = collected;
}

void CrawlSession::setCompletionPauseMs(std::int32_t ms) {
  impl_->completionPauseMs = ms;
}

CrawlOutcome CrawlSession::start(const CrawlTarget& target) {
  const std::optional<std::string> folder = TitleFolder(impl_->harvelFolder, target.title);
  if (!folder) {
    impl_->errorText = "「" + target.title +
                       "」はフォルダの名前に使えないため、巡回を始めませんでした。\n"
                       "空でも「.」「..」でもなく、「/」「\\」や制御文字を含まないタイトルにし"
                       "てください。";
    return CrawlOutcome::TitleRefused;
  }
  std::optional<RecordStatus> record;
  if (impl_->options.onlyNew()) {
    record = OpenRecord(impl_->collected, *folder);
    if (record->state == RecordStatus::State::Unusable) {
      impl_->errorText = RecordStatusText(*record);
      return CrawlOutcome::RecordUnusable;
    }
  }
  appendRow(target);
  if (record && record->state == RecordStatus::State::Restarted && impl_->observer)
    impl_->observer->recordRestarted(*record);
  DeleteMailAddressFile(*folder);
  if (impl_->observer)
    impl_->observer->showWindow();
  return SearchStart();
}

bool CrawlSession::isLoaded() const {
  return impl_->state != nullptr;
}

void CrawlSession::load() {
  impl_->load();
}

void CrawlSession::appendRow(const CrawlTarget& row) {
  impl_->load();
  impl_->insertRow(*impl_->state, impl_->state->rows.size(), row);
}

void CrawlSession::unload() {
  impl_->unload();
}

void CrawlSession::setPaused(bool paused) {
  if (impl_->state)
    impl_->state->paused = paused;
}

bool CrawlSession::isPaused() const {
  return impl_->state && impl_->state->paused;
}

CrawlOutcome CrawlSession::SearchStart() {
  return harvel::SearchStart(*impl_);
}

std::string CrawlSession::caption() const {
  return impl_->caption;
}

std::string CrawlSession::statusText(int panel) const {
  return panel == 1 ? impl_->status1 : panel == 2 ? impl_->status2 : std::string();
}

std::string CrawlSession::errorText() const {
  return impl_->errorText;
}

const CrawlState* CrawlSession::state() const {
  return impl_->state.get();
}

const std::optional<std::vector<std::string>>& CrawlSession::userExt() const {
  return impl_->userExt;
}

}  // namespace harvel
