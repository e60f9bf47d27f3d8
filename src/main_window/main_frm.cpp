#include "main_window/main_frm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QStatusBar>

#include "main_window/harvel_addresses.h"
#include "main_window/harvel_version.h"

namespace harvel {

MainFrm::MainFrm(MainFrmServices services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)), commonDialog1_(this) {
  if (!services_.openUrl) {
    services_.openUrl = [](const QUrl& page) { QDesktopServices::openUrl(page); };
  }
  if (!services_.showMessage) {
    services_.showMessage = [this](const QString& text) {
      QMessageBox::warning(this, QStringLiteral("Harvel"), text);
    };
  }
  if (!services_.confirm) {
    services_.confirm = [this](const QString& question) {
      return QMessageBox::question(this, QStringLiteral("Harvel"), question) == QMessageBox::Yes;
    };
  }
  if (!services_.endProgram) {
    services_.endProgram = [] { QCoreApplication::exit(0); };
  }
  buildControls();
  settingsDialog_ = new SettingsDialog(services_.keptSettings, this);
  bindOptions();

  connect(AddBtn, &QAbstractButton::clicked, this, &MainFrm::AddBtn_Click);
  connect(ChangeBtn, &QAbstractButton::clicked, this, &MainFrm::ChangeBtn_Click);
  connect(DelBtn, &QAbstractButton::clicked, this, &MainFrm::DelBtn_Click);
  connect(AllDelBtn, &QAbstractButton::clicked, this, &MainFrm::AllDelBtn_Click);
  connect(HPBtn, &QAbstractButton::clicked, this, &MainFrm::HPBtn_Click);
  // A crawl runs inside its start handler; start it from the event loop rather
  // than from inside the button's or the list's mouse handling.
  connect(GetBtn, &QAbstractButton::clicked, this, &MainFrm::GetBtn_Click, Qt::QueuedConnection);
  connect(ListView1, &QAbstractItemView::doubleClicked, this, &MainFrm::ListView1_DblClick,
          Qt::QueuedConnection);
  connect(ListView1, &QAbstractItemView::clicked, this, &MainFrm::ListView1_Click);
  connect(UserSetChk, &QCheckBox::stateChanged, this, &MainFrm::UserSetChk_Click);
  connect(Slider1, &QSlider::valueChanged, this, &MainFrm::Slider1_Change);

  // The first row a list gets is selected, and after a delete the row that takes
  // the focus is selected, so the row operations can go on at once.
  connect(&list_, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first) {
    if (!ListView1->currentIndex().isValid())
      setCurrentRow(first);
  });
  connect(&list_, &QAbstractItemModel::rowsRemoved, this, [this] {
    if (ListView1->currentIndex().isValid())
      setCurrentRow(ListView1->currentIndex().row());
  });
}

MainFrm::~MainFrm() = default;

void MainFrm::bindOptions() {
  options_.bind(Check::UserSet, UserSetChk);
  options_.bind(Check::Gif, GifChk);
  options_.bind(Check::Jpeg, JpegChk);
  options_.bind(Check::Png, PngChk);
  options_.bind(Check::Htm, HtmChk);
  options_.bind(Check::Mail, MailChk);
  options_.bind(Check::Other, OtherChk);
  options_.bind(Check::FolderOpen, FolderOpenChk);
  options_.bind(Check::TextGet, TextGetChk);
  options_.bind(Check::PicFastDown, PicFastDownChk);
  options_.bind(Check::Renban, RenbanChk);
  options_.bind(Check::CGI, CGIChk);
  options_.bind(Check::CommonURL, CommonURLChk);
  options_.bind(Check::ModernPages, ModernPageChk);
  options_.bindUserSetText(UserSetTxt);
  options_.bindCommonUrlText(CommonURLTxt);
  options_.bindJobs(JobsSpin);
  options_.bindMaxFileSize(MaxSizeSpin);
  options_.bindMinimumPicture(settingsDialog_->collect().minPictureWidth(),
                              settingsDialog_->collect().minPictureHeight());
  options_.bindSpeedLevel(&SpeedLevel);
  options_.bindOnlyNew(settingsDialog_->collect().onlyNew());
  options_.bindSameSite(settingsDialog_->collect().sameSite());
  options_.bindAllLinks(settingsDialog_->collect().allLinks());
  options_.bindNextPages(settingsDialog_->collect().nextPages());
  options_.bindUrlRules(settingsDialog_->collect().urlRules());
}

QString MainFrm::statusPanelText(int panel) const {
  return panel == 1 ? StatusPanel1->text() : StatusPanel2->text();
}

int MainFrm::currentRow() const {
  // The highlighted row, not the focus: a click below the rows leaves the focus
  // on a row that is no longer selected.
  const QModelIndexList selected = ListView1->selectionModel()->selectedRows();
  return selected.isEmpty() ? -1 : selected.first().row();
}

void MainFrm::setCurrentRow(int row) {
  ListView1->selectionModel()->setCurrentIndex(
      list_.index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

CrawlTarget MainFrm::editedRow() const {
  return {TitleTxt->text().toStdString(), URLTxt->text().toStdString(),
          LevelTxt->text().toStdString()};
}

void MainFrm::Form_Load() {
  list_.append({kBuiltInRowTitle, kHomePageUrl, kBuiltInRowLevel});
  Slider1->setValue(kDefaultSpeedLevel);
  SpeedLevel = kDefaultSpeedLevel;
  setWindowTitle(QStringLiteral("Harvel Ver.%1.%2.%3")
                     .arg(kHarvelVersionMajor)
                     .arg(kHarvelVersionMinor)
                     .arg(kHarvelVersionPatch));
  if (services_.findOrStartDownloader) {
    QString error;
    if (!services_.findOrStartDownloader(&error)) {
      services_.showMessage(
          QStringLiteral("ダウンロード用プログラム VeskDownloader を起動できませんでした。\n"
                         "このままではファイルを取得できません。\n\n%1")
              .arg(error));
    }
  }
}

void MainFrm::Form_Unload() {
  if (unloaded_)
    return;
  unloaded_ = true;
  if (services_.closeCrawlWindow)
    services_.closeCrawlWindow();
  if (services_.closeDownloader)
    services_.closeDownloader();
  services_.endProgram();
}

void MainFrm::closeEvent(QCloseEvent* event) {
  Form_Unload();
  event->accept();
}

void MainFrm::AddBtn_Click() {
  list_.append(editedRow());
}

void MainFrm::ChangeBtn_Click() {
  if (list_.rowCount() == 0 || currentRow() < 0)
    return;
  list_.replace(currentRow(), editedRow());
}

void MainFrm::DelBtn_Click() {
  if (list_.rowCount() == 0 || currentRow() < 0)
    return;
  list_.remove(currentRow());
}

void MainFrm::AllDelBtn_Click() {
  list_.clear();
}

void MainFrm::ListView1_Click() {
  if (list_.rowCount() == 0 || currentRow() < 0)
    return;
  const CrawlTarget& row = list_.row(currentRow());
  TitleTxt->setText(QString::fromStdString(row.title));
  URLTxt->setText(QString::fromStdString(row.url));
  LevelTxt->setText(QString::fromStdString(row.level));
}

void MainFrm::ListView1_DblClick() {
  if (list_.rowCount() == 0 || currentRow() < 0 || !services_.startCrawl)
    return;
  const CrawlTarget row = list_.row(currentRow());  // the list may change during the crawl
  const CrawlStartResult result = services_.startCrawl(row);
  if (!result.settingsError.empty()) {
    services_.showMessage(
        QStringLiteral("詳細設定の接続の設定を使えないため、巡回を始めませんでした。\n\n%1")
            .arg(QString::fromStdString(result.settingsError)));
    return;
  }
  switch (result.outcome) {
    case CrawlOutcome::TitleRefused:
      services_.showMessage(QString::fromStdString(result.errorText));
      break;
    case CrawlOutcome::ChannelFailed:
      services_.showMessage(
          QStringLiteral("ダウンロード用プログラム VeskDownloader と通信できないため、"
                         "巡回を中止しました。\n\n%1")
              .arg(QString::fromStdString(result.errorText)));
      break;
    case CrawlOutcome::RecordUnusable:
    case CrawlOutcome::RecordFailed:
      services_.showMessage(QString::fromStdString(result.errorText));
      break;
    case CrawlOutcome::Completed:
    case CrawlOutcome::Closed:
    case CrawlOutcome::AlreadyRunning:
      break;
  }
}

void MainFrm::IDM_LIST_FORGET_Click() {
  if (list_.rowCount() == 0 || currentRow() < 0 || !services_.forgetRecord)
    return;
  const QString title = QString::fromStdString(list_.row(currentRow()).title);
  const QString question =
      QStringLiteral(
          "「%1」の取得記録を消去しますか?\n\n"
          "フォルダのファイルは消しません。次に「取得済みのファイルは取得しない」で"
          "巡回すると、記録にあったファイルももう一度取得します。")
          .arg(title);
  if (!services_.confirm(question))
    return;
  const QString result = services_.forgetRecord(title.toStdString());
  if (!result.isEmpty())
    services_.showMessage(result);
}

void MainFrm::GetBtn_Click() {
  if (list_.rowCount() == 0)
    return;
  ListView1_DblClick();
}

void MainFrm::UserSetChk_Click() {
  const bool detailed = ControlOptions::ValueOf(UserSetChk->checkState()) == 1;
  UserSetTxt->setEnabled(detailed);
  for (QCheckBox* box : {GifChk, JpegChk, PngChk, HtmChk, OtherChk})
    box->setEnabled(!detailed);
}

void MainFrm::Slider1_Change() {
  SpeedLevel = static_cast<std::int16_t>(Slider1->value());
}

}  // namespace harvel
