#include "main_window/last_crawl_panel.h"

#include "widgets/record_line.h"

namespace harvel {

LastCrawlPanel::LastCrawlPanel(QWidget* parent) : QLabel(parent) {
  setObjectName(QStringLiteral("StatusBar1LastCrawl"));
  hide();
}

void LastCrawlPanel::loaded() {
  landed_.clear();
  resumed_.clear();
  failures_.clear();
  collected_ = 0;
  tooSmall_ = 0;
  robotsExcluded_ = 0;
  stopped_ = false;
  clear();
  setToolTip(QString());
  hide();
}

void LastCrawlPanel::requestEnded(const RequestRecord& record) {
  if (record.outcome.landed) {
    landed_.add(record.path);
    if (record.outcome.resumedFrom > 0)
      resumed_.add(record.path);
  } else if (record.outcome.tooSmall) {
    ++tooSmall_;
  } else if (record.outcome.robotsExcluded) {
    ++robotsExcluded_;
  } else if (record.outcome.failed()) {
    failures_.add(RecordLine(record.url, record.path, record.outcome));
  }
  if (record.outcome.alreadyCollected)
    ++collected_;
}

void LastCrawlPanel::unloaded() {
  showResult();
}

void LastCrawlPanel::markStopped() {
  stopped_ = true;
  showResult();
}

void LastCrawlPanel::showResult() {
  QString text =
      tr("前回の巡回: 取得 %1 / 失敗 %2").arg(landed_.stillThere()).arg(failures_.count());
  if (collected_ > 0)
    text += tr(" / 取得済 %1").arg(collected_);
  if (tooSmall_ > 0)
    text += tr(" / 小さい画像 %1").arg(tooSmall_);
  if (robotsExcluded_ > 0)
    text += tr(" / 除外 %1").arg(robotsExcluded_);
  if (const std::int64_t resumed = resumed_.stillThere(); resumed > 0)
    text += tr(" / 再開 %1").arg(resumed);
  if (stopped_)
    text += tr(" (中止)");
  setText(text);
  setToolTip(failures_.toolTip());
  show();
}

}  // namespace harvel
