#include "main_window/main_frm.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QStatusBar>

#include "main_window/harvel_addresses.h"
#include "main_window/harvel_version.h"
#include "main_window/window_boxes.h"
#include "widgets/engine_text.h"

namespace harvel {

MainFrm::MainFrm(MainFrmServices services, QWidget* parent)
    : QMainWindow(parent),
      services_(std::move(services)),
      commonDialog1_(this),
      keptList_(services_.keptListFolder) {
  if (!services_.openUrl) {
    services_.openUrl = [](const QUrl& page) { QDesktopServices::openUrl(page); };
  }
  // The boxes never wait: a crawl runs inside the event loop they would stop.
  if (!services_.showMessage) {
    services_.showMessage = [this](const QString& text) { OpenMessageBox(this, ListView1, text); };
  }
  if (!services_.confirm) {
    services_.confirm = [this](const QString& question, std::function<void(bool)> answered) {
      OpenQuestionBox(this, ListView1, question, std::move(answered));
    };
  }
  if (!services_.choose) {
    services_.choose = [this](const QString& question, const QStringList& choices,
                              std::function<void(int)> answered) {
      OpenChoiceBox(this, ListView1, question, choices, std::move(answered));
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
  ListView1->installEventFilter(this);
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

  // Every change of the list is kept at once (after the crawl, while one runs).
  for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
    connect(&list_, signal, this, &MainFrm::listChanged);
  connect(&list_, &QAbstractItemModel::dataChanged, this, &MainFrm::listChanged);
  connect(&list_, &QAbstractItemModel::modelReset, this, &MainFrm::listChanged);
}

MainFrm::~MainFrm() = default;

bool MainFrm::eventFilter(QObject* watched, QEvent* event) {
  if (watched != ListView1 || event->type() != QEvent::KeyPress)
    return QMainWindow::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F5) {
    // From the event loop, as a double click: the crawl runs inside its handler.
    QMetaObject::invokeMethod(this, &MainFrm::GetBtn_Click, Qt::QueuedConnection);
    return true;
  }
  if (key == Qt::Key_Delete) {
    if (currentRow() < 0)
      return true;
    const CrawlTarget row = list_.row(currentRow());
    services_.confirm(tr("「%1」をリストから削除しますか?").arg(QString::fromStdString(row.title)),
                      [this, row](bool yes) {
                        // The row asked about, if it is still the selected one.
                        if (yes && currentRow() >= 0 && list_.row(currentRow()) == row)
                          DelBtn_Click();
                      });
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

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
  options_.bindRender(settingsDialog_->collect().render());
  options_.bindRobots(settingsDialog_->collect().robots());
  options_.bindSameSite(settingsDialog_->collect().sameSite());
  options_.bindAllLinks(settingsDialog_->collect().allLinks());
  options_.bindNextPages(settingsDialog_->collect().nextPages());
  options_.bindUrlRules(settingsDialog_->collect().urlRules());
}

QString MainFrm::statusPanelText(int panel) const {
  return panel == 1 ? StatusPanel1->text() : StatusPanel2->fullText();
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

void MainFrm::listChanged() {
  if (!keeping_)
    return;
  listUnsaved_ = true;
  if (crawlsRunning_ == 0)
    keepList();
}

void MainFrm::keepList() {
  if (!listUnsaved_)
    return;
  listUnsaved_ = false;
  std::string error;
  if (keptList_.save(list_.rows(), &error) || saveFailureTold_)
    return;
  saveFailureTold_ = true;  // once a run: the next change would only say it again
  services_.showMessage(
      tr("収集リストを保存できませんでした。次に起動したときには今のリストが"
         "表示されません。\n\n%1\n%2")
          .arg(QString::fromStdString(keptList_.path()), QString::fromStdString(error)));
}

void MainFrm::restoreList() {
  const KeptList::Restored kept = keptList_.restore();
  if (kept.rows) {
    list_.appendAll(*kept.rows);
  } else {
    list_.append({kBuiltInRowTitle, kHomePageUrl, kBuiltInRowLevel});
  }
  if (!kept.problem.empty()) {
    services_.showMessage(tr("保存されていた収集リストを読み込めなかったため、最初のリストで"
                             "始めます。読み込めなかったファイルは次の名前で残してあります。\n\n%1")
                              .arg(QString::fromStdString(kept.problem)));
  }
  keeping_ = keptList_.enabled();
}

void MainFrm::Form_Load() {
  restoreList();
  Slider1->setValue(kDefaultSpeedLevel);
  SpeedLevel = kDefaultSpeedLevel;
  setWindowTitle(QStringLiteral("Harvel Ver.%1.%2.%3")
                     .arg(kHarvelVersionMajor)
                     .arg(kHarvelVersionMinor)
                     .arg(kHarvelVersionPatch));
  if (services_.findOrStartDownloader) {
    QString error;
    if (!services_.findOrStartDownloader(&error)) {
      services_.showMessage(tr("ダウンロード用プログラム VeskDownloader を起動できませんでした。\n"
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
  crawlsRunning_ = 0;  // the crawl is closed; the list may be written now
  keepList();
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
  // The kept list is not written while a crawl runs; what changed meanwhile is
  // written when the outermost crawl start returns.
  const bool outermost = crawlsRunning_++ == 0;
  if (outermost) {
    lastCrawlFolder_->hide();
    lastCrawlTitle_ = row.title;
  }
  const CrawlStartResult result = services_.startCrawl(row);
  if (crawlsRunning_ > 0 && --crawlsRunning_ == 0)
    keepList();
  if (outermost && !unloaded_) {
    if (result.outcome == CrawlOutcome::Closed)
      lastCrawl_->markStopped();
    const bool crawled =
        result.outcome == CrawlOutcome::Completed || result.outcome == CrawlOutcome::Closed;
    lastCrawlFolder_->setVisible(crawled);
  }
  if (!result.settingsError.empty()) {
    services_.showMessage(tr("詳細設定の接続の設定を使えないため、巡回を始めませんでした。\n\n%1")
                              .arg(QString::fromStdString(result.settingsError)));
    return;
  }
  switch (result.outcome) {
    case CrawlOutcome::TitleRefused:
      services_.showMessage(EngineText(result.errorText));
      break;
    case CrawlOutcome::ChannelFailed:
      services_.showMessage(tr("ダウンロード用プログラム VeskDownloader と通信できないため、"
                               "巡回を中止しました。\n\n%1")
                                .arg(QString::fromStdString(result.errorText)));
      break;
    case CrawlOutcome::RecordUnusable:
    case CrawlOutcome::RecordFailed:
      services_.showMessage(EngineText(result.errorText));
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
      tr("「%1」の取得記録を消去しますか?\n\n"
         "フォルダのファイルは消しません。次に「取得済みのファイルは取得しない」で"
         "巡回すると、記録にあったファイルももう一度取得します。")
          .arg(title);
  services_.confirm(question, [this, title](bool yes) {
    if (!yes)
      return;
    const QString result = services_.forgetRecord(title.toStdString());
    if (!result.isEmpty())
      services_.showMessage(result);
  });
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
