#include "crawl_window/search_frm.h"

#include <QCloseEvent>
#include <QMessageBox>

#include "crawl/crawl_session.h"
#include "crawl/record_status_text.h"
#include "crawl_window/landed_picture.h"
#include "widgets/engine_text.h"
#include "widgets/list_view.h"
#include "widgets/twips.h"
#include "widgets/window_font.h"

namespace harvel {

namespace {

// The window's design: a client area of 7590 x 3735 twips, a 375-twip status bar.
constexpr int kClientWidth = TwipsToPixels(7590);
constexpr int kClientHeight = TwipsToPixels(3735);
constexpr int kStatusBarHeight = TwipsToPixels(375);
constexpr int kPanelMinimum = TwipsToPixels(1440);
// How long row changes wait to be shown together.
constexpr int kRowFlushMs = 100;
constexpr int kProgressWidth = 76;
constexpr int kJoinedMessageMs = 6000;
constexpr int kGuessedTitleBar = 30;
// The rate is told once this much of the crawl has passed.
constexpr qint64 kRateAfterMs = 1000;

// "1:05", "1:02:03"
QString DurationText(qint64 seconds) {
  const qint64 hours = seconds / 3600;
  const QString minutesSeconds = QStringLiteral("%1:%2")
                                     .arg(hours > 0 ? (seconds / 60) % 60 : seconds / 60)
                                     .arg(seconds % 60, 2, 10, QLatin1Char('0'));
  if (hours == 0)
    return minutesSeconds;
  return QStringLiteral("%1:%2").arg(hours).arg(minutesSeconds.rightJustified(5, QLatin1Char('0')));
}

}  // namespace

SearchFrm::SearchFrm(SearchFrmServices services, QWidget* parent)
    : QWidget(parent, Qt::Window),
      services_(std::move(services)),
      ListView1(new QTreeView(this)),
      StatusBar1(new QStatusBar(this)),
      panel1_(new ElidedLabel(QStringLiteral("Harvel"), StatusBar1)),
      panel2_(new ElidedLabel(QString(), StatusBar1)),
      failures_(new CountPanel("StatusBar1Failures", tr("失敗"), StatusBar1)),
      collected_(new CountPanel("StatusBar1Collected", tr("取得済"), StatusBar1)),
      tooSmall_(new CountPanel("StatusBar1TooSmall", tr("小さい画像"), StatusBar1)),
      robots_(new CountPanel("StatusBar1Robots", tr("除外"), StatusBar1)),
      thumbnails_(new ThumbnailStrip(this)),
      progress_(new QProgressBar(StatusBar1)),
      pauseBtn_(new QToolButton(StatusBar1)),
      stopBtn_(new QToolButton(StatusBar1)),
      GetTxt(new QLineEdit(this)) {
  setObjectName(QStringLiteral("SearchFrm"));
  setWindowTitle(EngineText(CrawlSession::kCaptionCrawling));
  setFont(WindowFont(font()));

  ListView1->setObjectName(QStringLiteral("ListView1"));
  SetUpListView(*ListView1, model_, {1440, 3500, 800});

  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  StatusBar1->setSizeGripEnabled(false);
  panel1_->setObjectName(QStringLiteral("StatusBar1Panel1"));
  panel2_->setObjectName(QStringLiteral("StatusBar1Panel2"));
  panel1_->setMinimumWidth(kPanelMinimum);
  panel2_->setMinimumWidth(kPanelMinimum);
  StatusBar1->addWidget(panel1_, 0);
  StatusBar1->addWidget(panel2_, 1);
  // Each count panel shows once its first request ends that way.
  StatusBar1->addWidget(collected_, 0);
  StatusBar1->addWidget(failures_, 0);
  StatusBar1->addWidget(tooSmall_, 0);
  StatusBar1->addWidget(robots_, 0);
  // The progress and the two buttons stay at the right end of the bar.
  progress_->setObjectName(QStringLiteral("ProgressBar"));
  progress_->setFixedWidth(kProgressWidth);
  progress_->setTextVisible(true);
  progress_->setRange(0, 0);
  pauseBtn_->setObjectName(QStringLiteral("PauseBtn"));
  stopBtn_->setObjectName(QStringLiteral("StopBtn"));
  stopBtn_->setText(tr("中止"));
  stopBtn_->setToolTip(tr("巡回を中止します(ウィンドウを閉じるのと同じです)"));
  for (QToolButton* button : {pauseBtn_, stopBtn_})
    button->setAutoRaise(true);
  StatusBar1->addPermanentWidget(progress_, 0);
  StatusBar1->addPermanentWidget(pauseBtn_, 0);
  StatusBar1->addPermanentWidget(stopBtn_, 0);
  connect(stopBtn_, &QToolButton::clicked, this, &QWidget::close);
  connect(pauseBtn_, &QToolButton::clicked, this, [this] { setPaused(!paused_); });
  setPaused(false);

  // The mailbox: the engine keeps the text; this box is never shown.
  GetTxt->setObjectName(QStringLiteral("GetTxt"));
  GetTxt->setReadOnly(true);
  GetTxt->hide();

  thumbnails_->hide();
  connect(thumbnails_, &ThumbnailStrip::openRequested, this, [this](const QString& path) {
    if (services_.openPicture)
      services_.openPicture(path.toStdString());
  });

  flushTimer_.setSingleShot(true);
  flushTimer_.setInterval(kRowFlushMs);
  connect(&flushTimer_, &QTimer::timeout, this, &SearchFrm::flushRows);

  resize(kClientWidth, kClientHeight);
  Form_Resize();
}

QString SearchFrm::statusPanelText(int panel) const {
  return (panel == 1 ? panel1_ : panel2_)->fullText();
}

int SearchFrm::designHeight() const {
  return kClientHeight + (thumbnailsShown_ ? ThumbnailStrip::kHeight : 0);
}

void SearchFrm::setThumbnailsShown(bool shown) {
  if (shown == thumbnailsShown_)
    return;
  thumbnailsShown_ = shown;
  thumbnails_->setVisible(shown);
  if (!shown)
    thumbnails_->clear();
  const int strip = shown ? ThumbnailStrip::kHeight : -ThumbnailStrip::kHeight;
  resize(width(), std::max(0, height() + strip));
  Form_Resize();
}

void SearchFrm::Form_Resize() {
  StatusBar1->setGeometry(0, height() - kStatusBarHeight, width(), kStatusBarHeight);
  const int strip = thumbnailsShown_ ? ThumbnailStrip::kHeight : 0;
  const int listHeight = height() - kStatusBarHeight - strip;
  if (listHeight < 0)
    return;  // lower than the status bar: the list keeps its size
  ListView1->setGeometry(0, 0, width(), listHeight);
  if (thumbnailsShown_)
    thumbnails_->setGeometry(0, listHeight, width(), strip);
}

void SearchFrm::resizeEvent(QResizeEvent*) {
  Form_Resize();
}

void SearchFrm::Form_Unload() {
  if (services_.windowClosed && isVisible() && placedAt_) {
    services_.windowClosed(pos() == *placedAt_ ? std::nullopt : std::optional<QPoint>(pos()));
    placedAt_.reset();
  }
  if (!loaded_)
    return;
  setWindowTitle(EngineText(CrawlSession::kCaptionClosing));
  if (services_.unloadCrawl)
    services_.unloadCrawl();
}

void SearchFrm::closeEvent(QCloseEvent* event) {
  Form_Unload();
  event->accept();
}

void SearchFrm::rowInserted(std::size_t index, const CrawlTarget& row) {
  pending_.push_back({index, row});
  if (!flushTimer_.isActive())
    flushTimer_.start();
}

void SearchFrm::rowRemoved(std::size_t index) {
  pending_.push_back({index, std::nullopt});
  if (!flushTimer_.isActive())
    flushTimer_.start();
}

void SearchFrm::flushRows() {
  flushTimer_.stop();
  std::vector<RowChange> changes;
  changes.swap(pending_);
  for (RowChange& change : changes) {
    if (change.inserted) {
      model_.insert(change.index, *change.inserted);
    } else {
      model_.remove(change.index);
    }
  }
}

void SearchFrm::setPaused(bool paused) {
  paused_ = paused;
  pauseBtn_->setText(paused ? tr("再開") : tr("一時停止"));
  pauseBtn_->setToolTip(paused ? tr("巡回を続けます")
                               : tr("新しい取得を止めます(取得中のファイルは最後まで取得します)"));
  if (services_.pauseCrawl && loaded_)
    services_.pauseCrawl(paused);
  showProgress();
}

void SearchFrm::showProgress() {
  if (!services_.progress)
    return;
  const CrawlProgress now = services_.progress();
  const qint64 all = now.done + now.left;
  // QProgressBar counts in int: large counts are shown in proportion.
  const int scale = all > 1'000'000 ? static_cast<int>(all / 1'000'000 + 1) : 1;
  progress_->setRange(0, static_cast<int>(std::max<qint64>(all, 1) / scale));
  progress_->setValue(static_cast<int>(now.done / scale));
  const qint64 ms = sinceLoad_.isValid() ? sinceLoad_.elapsed() : 0;
  QString text;
  QString tip = tr("取得 %1 / 全体 %2").arg(now.done).arg(all);
  if (paused_) {
    text = tr("一時停止中");
  } else if (ms >= kRateAfterMs && now.done > 0) {
    const double perSecond = static_cast<double>(now.done) * 1000.0 / static_cast<double>(ms);
    const qint64 secondsLeft = static_cast<qint64>(static_cast<double>(now.left) / perSecond + 0.5);
    text = tr("残り %1").arg(DurationText(secondsLeft));
    tip += tr("\n%1 件/秒、残り約 %2").arg(perSecond, 0, 'f', 1).arg(DurationText(secondsLeft));
  } else {
    text = QStringLiteral("%1 / %2").arg(now.done).arg(all);
  }
  progress_->setFormat(text);
  progress_->setToolTip(tip);
}

void SearchFrm::rowJoined(const CrawlTarget& row) {
  // Over the panels for a while; the crawl's texts come back after it.
  StatusBar1->showMessage(
      tr("巡回中のリストに「%1」を追加しました").arg(QString::fromStdString(row.title)),
      kJoinedMessageMs);
  flushRows();
  for (int i = model_.rowCount() - 1; i >= 0; --i) {
    if (model_.row(i) == row) {
      ListView1->setCurrentIndex(model_.index(i, 0));
      ListView1->scrollTo(model_.index(i, 0));
      break;
    }
  }
}

void SearchFrm::statusTextChanged(int panel, const std::string& text) {
  (panel == 1 ? panel1_ : panel2_)->setFullText(EngineText(text));
  if (panel == 2)
    showProgress();
  // Mirror the mailbox: the driver writes a status text after every request and row.
  if (services_.mailboxText)
    GetTxt->setText(QString::fromStdString(services_.mailboxText()));
}

void SearchFrm::captionChanged(const std::string& text) {
  setWindowTitle(EngineText(text));
}

void SearchFrm::requestEnded(const RequestRecord& record) {
  if (record.outcome.tooSmall)
    tooSmall_->add(record);
  else if (record.outcome.robotsExcluded)
    robots_->add(record);
  else if (record.outcome.failed())
    failures_->add(record);
  if (record.outcome.alreadyCollected)
    collected_->add(record);
  if (thumbnailsShown_ && IsLandedPicture(record))
    thumbnails_->add(QString::fromStdString(record.path));
}

void SearchFrm::recordRestarted(const RecordStatus& status) {
  // Said without stopping the crawl: the box waits beside the window.
  auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Harvel"),
                              EngineText(RecordStatusText(status)), QMessageBox::Ok, this);
  box->setObjectName(QStringLiteral("RecordRestartedBox"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
}

void SearchFrm::showWindow() {
  if (!isVisible() && services_.placeWindow) {
    // The frame is not known before the first show: the title bar's height is guessed.
    const QSize frame = frameGeometry().size() == size() ? size() + QSize(0, kGuessedTitleBar)
                                                         : frameGeometry().size();
    move(services_.placeWindow(frame));
    placedAt_ = pos();
  }
  show();
  raise();
}

void SearchFrm::loaded() {
  loaded_ = true;
  resize(kClientWidth, designHeight());  // each crawl opens the window at its design size
  pending_.clear();
  model_.clear();
  setWindowTitle(EngineText(CrawlSession::kCaptionCrawling));
  panel1_->setFullText(QStringLiteral("Harvel"));
  panel2_->setFullText(QString());
  failures_->clear();
  collected_->clear();
  tooSmall_->clear();
  robots_->clear();
  thumbnails_->clear();
  GetTxt->clear();
  StatusBar1->clearMessage();
  sinceLoad_.start();
  setPaused(false);
}

void SearchFrm::unloaded() {
  loaded_ = false;
  close();
  pending_.clear();
  model_.clear();
}

}  // namespace harvel
