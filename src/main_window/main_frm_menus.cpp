// The menu bar of the main window and the handlers of its File, Tools and Help menus.
#include <QMenuBar>

#include "list_file/list_file.h"
#include "main_window/harvel_addresses.h"
#include "main_window/main_frm.h"

namespace harvel {

namespace {

QAction* AddItem(QMenu* menu, const char* name, const char* caption) {
  QAction* action = menu->addAction(QString::fromUtf8(caption));
  action->setObjectName(QString::fromLatin1(name));
  return action;
}

void AddSeparator(QMenu* menu, const char* name) {
  QAction* separator = menu->addSeparator();
  separator->setObjectName(QString::fromLatin1(name));
}

QMenu* AddMenu(QMenuBar* bar, const char* name, const char* caption) {
  QMenu* menu = bar->addMenu(QString::fromUtf8(caption));
  menu->setObjectName(QString::fromLatin1(name));
  menu->menuAction()->setObjectName(QString::fromLatin1(name));
  return menu;
}

}  // namespace

void MainFrm::buildMenus() {
  QMenuBar* bar = menuBar();

  QMenu* file = AddMenu(bar, "IDM_FILE", "ファイル");
  connect(AddItem(file, "IDM_FILE_OPEN", "リストファイルを開く"), &QAction::triggered, this,
          &MainFrm::IDM_FILE_OPEN_Click);
  connect(AddItem(file, "IMD_FILE_SAVE", "リストファイルへ保存"), &QAction::triggered, this,
          &MainFrm::IMD_FILE_SAVE_Click);
  AddSeparator(file, "IDM_FILE_SEPARATOR");
  connect(AddItem(file, "IDM_EXIT", "終了"), &QAction::triggered, this, &MainFrm::IDM_EXIT_Click);

  QMenu* list = AddMenu(bar, "IDM_LIST", "編集");
  // A crawl runs inside its handler: start it from the event loop, not from
  // inside the menu's own event handling.
  connect(AddItem(list, "IDM_LIST_GET", "ファイル取得"), &QAction::triggered, this,
          &MainFrm::IDM_LIST_GET_Click, Qt::QueuedConnection);
  AddSeparator(list, "IDM_LIST_SEPARATOR");
  connect(AddItem(list, "IDM_LIST_ADD", "追加"), &QAction::triggered, this,
          &MainFrm::IDM_LIST_ADD_Click);
  connect(AddItem(list, "IDM_LIST_CHANGE", "変更"), &QAction::triggered, this,
          &MainFrm::IDM_LIST_CHANGE_Click);
  AddSeparator(list, "IDM_EDIT_SEPARATOR");
  connect(AddItem(list, "IDM_LIST_DEL", "削除"), &QAction::triggered, this,
          &MainFrm::IDM_LIST_DEL_Click);
  connect(AddItem(list, "IDM_LIST_ALLDEL", "クリア"), &QAction::triggered, this,
          &MainFrm::IDM_LIST_ALLDEL_Click);
  AddSeparator(list, "IDM_RECORD_SEPARATOR");
  connect(AddItem(list, "IDM_LIST_FORGET", "取得記録を消去"), &QAction::triggered, this,
          &MainFrm::IDM_LIST_FORGET_Click);

  QMenu* tools = AddMenu(bar, "IDM_TOOL", "ツール(&T)");
  connect(AddItem(tools, "IDM_TOOL_SETTINGS", "詳細設定(&S)..."), &QAction::triggered, this,
          &MainFrm::IDM_TOOL_SETTINGS_Click);

  QMenu* help = AddMenu(bar, "IDM_HELP", "ヘルプ");
  connect(AddItem(help, "IDM_HELP_HARVEL", "最新版を確認"), &QAction::triggered, this,
          &MainFrm::IDM_HELP_HARVEL_Click);
  AddSeparator(help, "IDM_HELP_EPARATOR");
  connect(AddItem(help, "IDM_HELP_HP", "いろいろなソフトを公開しています"), &QAction::triggered,
          this, &MainFrm::IDM_HELP_HP_Click);
}

void MainFrm::IDM_FILE_OPEN_Click() {
  const QString name = commonDialog1_.askOpen();
  if (name.isEmpty())
    return;  // cancelled: nothing is read
  std::vector<CrawlTarget> rows;
  const bool read = LoadListFile(name.toStdString(), rows);
  list_.appendAll(rows);
  if (!read && services_.showMessage) {
    services_.showMessage(QStringLiteral("リストファイル「%1」を読み込めませんでした。").arg(name));
  }
}

void MainFrm::IMD_FILE_SAVE_Click() {
  const QString name = commonDialog1_.askSave();
  if (name.isEmpty())
    return;  // cancelled: nothing is written
  if (!SaveListFile(name.toStdString(), list_.rows()) && services_.showMessage) {
    services_.showMessage(QStringLiteral("リストファイル「%1」に保存できませんでした。").arg(name));
  }
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
