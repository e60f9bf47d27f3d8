// The menu bar of the main window and the handlers of its File, Tools and Help menus.
#include <QMenuBar>

#include "list_file/list_file.h"
#include "main_window/harvel_addresses.h"
#include "main_window/main_frm.h"

namespace harvel {

namespace {

QAction* AddItem(QMenu* menu, const char* name, const QString& caption) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  return action;
}

void AddSeparator(QMenu* menu, const char* name) {
  QAction* separator = menu->addSeparator();
  separator->setObjectName(QString::fromLatin1(name));
}

QMenu* AddMenu(QMenuBar* bar, const char* name, const QString& caption) {
  QMenu* menu = bar->addMenu(caption);
  menu->setObjectName(QString::fromLatin1(name));
  menu->menuAction()->setObjectName(QString::fromLatin1(name));
  return menu;
}

}  // namespace

void MainFrm::buildMenus() {
  QMenuBar* bar = menuBar();

  QMenu* file = AddMenu(bar, "IDM_FILE", tr("ファイル(&F)"));
  connect(AddItem(file, "IDM_FILE_OPEN", tr("リストファイルを開く(&O)")), &QAction::triggered, this,
          &MainFrm::IDM_FILE_OPEN_Click);
  connect(AddItem(file, "IMD_FILE_SAVE", tr("リストファイルへ保存(&S)")), &QAction::triggered, this,
          &MainFrm::IMD_FILE_SAVE_Click);
  // The folder of the last crawl; before the first one it does nothing.
  connect(AddItem(file, "IDM_FILE_FOLDER", tr("前回のフォルダを開く(&D)")), &QAction::triggered,
          this, &MainFrm::IDM_FILE_FOLDER_Click);
  AddSeparator(file, "IDM_FILE_SEPARATOR");
  connect(AddItem(file, "IDM_EXIT", tr("終了(&X)")), &QAction::triggered, this,
          &MainFrm::IDM_EXIT_Click);

  QMenu* list = AddMenu(bar, "IDM_LIST", tr("編集(&E)"));
  // A crawl runs inside its handler: start it from the event loop, not from
  // inside the menu's own event handling.
  connect(AddItem(list, "IDM_LIST_GET", tr("ファイル取得(&G)")), &QAction::triggered, this,
          &MainFrm::IDM_LIST_GET_Click, Qt::QueuedConnection);
  AddSeparator(list, "IDM_LIST_SEPARATOR");
  connect(AddItem(list, "IDM_LIST_ADD", tr("追加(&A)")), &QAction::triggered, this,
          &MainFrm::IDM_LIST_ADD_Click);
  connect(AddItem(list, "IDM_LIST_CHANGE", tr("変更(&C)")), &QAction::triggered, this,
          &MainFrm::IDM_LIST_CHANGE_Click);
  AddSeparator(list, "IDM_EDIT_SEPARATOR");
  connect(AddItem(list, "IDM_LIST_DEL", tr("削除(&D)")), &QAction::triggered, this,
          &MainFrm::IDM_LIST_DEL_Click);
  connect(AddItem(list, "IDM_LIST_ALLDEL", tr("クリア(&L)")), &QAction::triggered, this,
          &MainFrm::IDM_LIST_ALLDEL_Click);
  AddSeparator(list, "IDM_RECORD_SEPARATOR");
  connect(AddItem(list, "IDM_LIST_FORGET", tr("取得記録を消去(&R)")), &QAction::triggered, this,
          &MainFrm::IDM_LIST_FORGET_Click);

  QMenu* tools = AddMenu(bar, "IDM_TOOL", tr("ツール(&T)"));
  connect(AddItem(tools, "IDM_TOOL_SETTINGS", tr("詳細設定(&S)...")), &QAction::triggered, this,
          &MainFrm::IDM_TOOL_SETTINGS_Click);

  QMenu* help = AddMenu(bar, "IDM_HELP", tr("ヘルプ(&H)"));
  connect(AddItem(help, "IDM_HELP_HARVEL", tr("最新版を確認(&N)")), &QAction::triggered, this,
          &MainFrm::IDM_HELP_HARVEL_Click);
  AddSeparator(help, "IDM_HELP_EPARATOR");
  connect(AddItem(help, "IDM_HELP_HP", tr("いろいろなソフトを公開しています(&P)")),
          &QAction::triggered, this, &MainFrm::IDM_HELP_HP_Click);
}

void MainFrm::IDM_FILE_OPEN_Click() {
  commonDialog1_.askOpen([this](const QString& name) {
    if (name.isEmpty())
      return;  // cancelled: nothing is read
    std::vector<CrawlTarget> rows;
    if (!LoadListFile(name.toStdString(), rows)) {
      services_.showMessage(tr("リストファイル「%1」を読み込めませんでした。").arg(name));
      return;
    }
    if (list_.rowCount() == 0) {
      list_.appendAll(rows);
      return;
    }
    // Add to the list or put the file's rows in its place.
    services_.choose(tr("リストファイル「%1」の %2 行を今のリストに追加しますか、"
                        "今のリストと置き換えますか?")
                         .arg(name)
                         .arg(rows.size()),
                     {tr("追加"), tr("置き換え")}, [this, rows](int choice) {
                       if (choice < 0)
                         return;
                       if (choice == 0) {
                         list_.appendAll(rows);
                         return;
                       }
                       // One write of the kept list, with the new rows: never an empty one between.
                       keeping_ = false;
                       list_.clear();
                       list_.appendAll(rows);
                       keeping_ = keptList_.enabled();
                       listChanged();
                     });
  });
}

void MainFrm::IMD_FILE_SAVE_Click() {
  commonDialog1_.askSave([this](const QString& name) {
    if (name.isEmpty())
      return;  // cancelled: nothing is written
    if (!SaveListFile(name.toStdString(), list_.rows())) {
      services_.showMessage(tr("リストファイル「%1」に保存できませんでした。").arg(name));
    }
  });
}

void MainFrm::IDM_FILE_FOLDER_Click() {
  if (lastCrawlTitle_.empty() || !services_.openCrawlFolder)
    return;
  QString folder;
  if (!services_.openCrawlFolder(lastCrawlTitle_, &folder))
    services_.showMessage(tr("フォルダを開けませんでした。\n\n%1").arg(folder));
}

void MainFrm::IDM_EXIT_Click() {
  close();
}

void MainFrm::IDM_TOOL_SETTINGS_Click() {
  settingsDialog_->show();
  settingsDialog_->raise();
  settingsDialog_->activateWindow();
}

void MainFrm::IDM_HELP_HARVEL_Click() {
  if (services_.openUrl)
    services_.openUrl(QUrl(QString::fromUtf8(kProductPageUrl)));
}

void MainFrm::IDM_HELP_HP_Click() {
  if (services_.openUrl)
    services_.openUrl(QUrl(QString::fromUtf8(kHomePageUrl)));
}

void MainFrm::HPBtn_Click() {
  IDM_HELP_HP_Click();
}

}  // namespace harvel
