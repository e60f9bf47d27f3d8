#include "crawl_window/search_frm.h"

#include <QCloseEvent>
#include <QMessageBox>

#include "crawl/crawl_session.h"
#include "crawl/record_status_text.h"
#include "crawl_window/landed_picture.h"
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

}  // namespace

SearchFrm::SearchFrm(SearchFrmServices services, QWidget* parent)
    : QWidget(parent, Qt::Window),
      services_(std::move(services)),
      ListView1(new QTreeView(this)),
      StatusBar1(new QStatusBar(this)),
      panel1_(new QLabel(QStringLiteral("Harvel"), StatusBar1)),
      panel2_(new QLabel(StatusBar1)),
      failures_(new CountPanel("StatusBar1Failures", QStringLiteral("失敗"), StatusBar1)),
      collected_(new CountPanel("StatusBar1Collected", QStringLiteral("取得済"), StatusBar1)),
      tooSmall_(new CountPanel("StatusBar1TooSmall", QStringLiteral("小さい画像"), StatusBar1)),
      thumbnails_(new ThumbnailStrip(this)),
      GetTxt(new QLineEdit(this)) {
  setObjectName(QStringLiteral("SearchFrm"));
  setWindowTitle(QString::fromUtf8(CrawlSession::kCaptionCrawling));
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
  return panel == 1 ? panel1_->text() : panel2_->text();
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
  if (!loaded_)
    return;
  setWindowTitle(QString::fromUtf8(CrawlSession::kCaptionClosing));
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

void SearchFrm::statusTextChanged(int panel, const std::string& text) {
  (panel == 1 ? panel1_ : panel2_)->setText(QString::fromStdString(text));
  // Mirror the mailbox: the driver writes a status text after every request and row.
  if (services_.mailboxText)
    GetTxt->setText(QString::fromStdString(services_.mailboxText()));
}

void SearchFrm::captionChanged(const std::string& text) {
  setWindowTitle(QString::fromStdString(text));
}

void SearchFrm::requestEnded(const RequestRecord& record) {
  if (record.outcome.tooSmall)
    tooSmall_->add(record);
  else if (record.outcome.failed())
    failures_->add(record);
  if (record.outcome.alreadyCollected)
    collected_->add(record);
  if (thumbnailsShown_ && IsLandedPicture(record))
    thumbnails_->add(QString::fromStdString(record.path));
}

void SearchFrm::recordRestarted(const RecordStatus& status) {
  // Said without stopping the crawl: the box waits beside the window.
  auto* box =
      new QMessageBox(QMessageBox::Information, QStringLiteral("Harvel"),
                      QString::fromStdString(RecordStatusText(status)), QMessageBox::Ok, this);
  box->setObjectName(QStringLiteral("RecordRestartedBox"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
}

void SearchFrm::showWindow() {
  show();
  raise();
}

void SearchFrm::loaded() {
  loaded_ = true;
  resize(kClientWidth, designHeight());  // each crawl opens the window at its design size
  pending_.clear();
  model_.clear();
  setWindowTitle(QString::fromUtf8(CrawlSession::kCaptionCrawling));
  panel1_->setText(QStringLiteral("Harvel"));
  panel2_->clear();
  failures_->clear();
  collected_->clear();
  tooSmall_->clear();
  thumbnails_->clear();
  GetTxt->clear();
}

void SearchFrm::unloaded() {
  loaded_ = false;
  close();
  pending_.clear();
  model_.clear();
}

}  // namespace harvel
