#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QSlider>
#include <QSpinBox>
#include <QTreeView>
#include <cstdint>
#include <memory>

#include "main_window/collection_list_model.h"
#include "main_window/control_options.h"
#include "main_window/kept_list.h"
#include "main_window/last_crawl_panel.h"
#include "main_window/list_file_dialog.h"
#include "main_window/main_frm_services.h"
#include "main_window/picture_button.h"
#include "main_window/settings_dialog.h"
#include "main_window/up_down.h"
#include "widgets/elided_label.h"

namespace harvel {

// MainFrm: the start-up window. The collection list, one target being edited,
// the list buttons, the collection options, the speed slider, the menus and the
// status bar. A crawl is started from here for the current row.
class MainFrm : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainFrm(MainFrmServices services, QWidget* parent = nullptr);
  ~MainFrm() override;

  // The options as the crawl reads them, live from the controls.
  const CrawlOptions& options() const { return options_; }
  std::int16_t speedLevel() const { return SpeedLevel; }
  ListFileDialog& listFileDialog() { return commonDialog1_; }
  // 詳細設定: made with the window and kept for the whole run.
  SettingsDialog& settingsDialog() { return *settingsDialog_; }
  CollectionListModel& collectionList() { return list_; }
  QString statusPanelText(int panel) const;
  // The status bar's panel for the last crawl's failures; the program makes it
  // an observer of each crawl.
  LastCrawlPanel& lastCrawlPanel() { return *lastCrawl_; }
  int currentRow() const;  // the selected row; -1 when none is selected

  // Start-up: the built-in row, the slider, the caption, the downloader.
  void Form_Load();
  // Shut-down: close the crawl window, close the downloader, end the program.
  void Form_Unload();

 public slots:
  void AddBtn_Click();
  void ChangeBtn_Click();
  void DelBtn_Click();
  void AllDelBtn_Click();
  void ListView1_Click();
  void ListView1_DblClick();
  void GetBtn_Click();
  void UserSetChk_Click();
  void Slider1_Change();
  void HPBtn_Click();

  void IDM_FILE_OPEN_Click();
  void IMD_FILE_SAVE_Click();
  void IDM_EXIT_Click();
  void IDM_LIST_GET_Click() { GetBtn_Click(); }
  void IDM_LIST_ADD_Click() { AddBtn_Click(); }
  void IDM_LIST_CHANGE_Click() { ChangeBtn_Click(); }
  void IDM_LIST_DEL_Click() { DelBtn_Click(); }
  void IDM_LIST_ALLDEL_Click() { AllDelBtn_Click(); }
  // 取得記録を消去: the selected row's record of what was collected, after a question.
  void IDM_LIST_FORGET_Click();
  // フォルダを開く: the folder of the last crawl's target.
  void IDM_FILE_FOLDER_Click();
  void IDM_TOOL_SETTINGS_Click();
  void IDM_HELP_HARVEL_Click();
  void IDM_HELP_HP_Click();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // The list's keys: Enter or F5 gets the selected row's files, Delete removes
  // the row after a question.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void buildOptionFrames(QWidget* client);
  void buildMenus();
  void bindOptions();
  void setCurrentRow(int row);
  CrawlTarget editedRow() const;
  // The kept list: read at start (or the built-in row), written after each change.
  void restoreList();
  void listChanged();
  void keepList();
  void openListFile(const QString& name);

  MainFrmServices services_;
  CollectionListModel list_;
  ControlOptions options_;
  ListFileDialog commonDialog1_;
  SettingsDialog* settingsDialog_ = nullptr;
  std::int16_t SpeedLevel = 0;
  bool unloaded_ = false;
  KeptList keptList_;
  bool keeping_ = false;      // from the end of the start-up on
  bool listUnsaved_ = false;  // changed since the last write
  bool saveFailureTold_ = false;
  int crawlsRunning_ = 0;  // crawl starts under way, nested ones included

  // Controls, named as the window names them.
  QTreeView* ListView1 = nullptr;
  QLineEdit* TitleTxt = nullptr;
  QLineEdit* URLTxt = nullptr;
  QLineEdit* LevelTxt = nullptr;
  UpDown* UpDown1 = nullptr;
  PictureButton* AddBtn = nullptr;
  PictureButton* ChangeBtn = nullptr;
  PictureButton* DelBtn = nullptr;
  PictureButton* AllDelBtn = nullptr;
  PictureButton* GetBtn = nullptr;
  PictureButton* HPBtn = nullptr;
  QGroupBox* Frame1 = nullptr;
  QGroupBox* Frame2 = nullptr;
  QGroupBox* Frame3 = nullptr;
  QCheckBox* UserSetChk = nullptr;
  QLineEdit* UserSetTxt = nullptr;
  QCheckBox* GifChk = nullptr;
  QCheckBox* JpegChk = nullptr;
  QCheckBox* PngChk = nullptr;
  QCheckBox* HtmChk = nullptr;
  QCheckBox* MailChk = nullptr;
  QCheckBox* OtherChk = nullptr;
  QCheckBox* FolderOpenChk = nullptr;
  QCheckBox* TextGetChk = nullptr;
  QCheckBox* PicFastDownChk = nullptr;
  QCheckBox* RenbanChk = nullptr;
  QCheckBox* CGIChk = nullptr;
  QCheckBox* ModernPageChk = nullptr;
  QCheckBox* CommonURLChk = nullptr;
  QLineEdit* CommonURLTxt = nullptr;
  QSlider* Slider1 = nullptr;
  QSpinBox* JobsSpin = nullptr;     // 同時ダウンロード数
  QSpinBox* MaxSizeSpin = nullptr;  // 最大ファイルサイズ, in KB; 0: no limit
  QLabel* StatusPanel1 = nullptr;
  ElidedLabel* StatusPanel2 = nullptr;
  LastCrawlPanel* lastCrawl_ = nullptr;
  QLabel* lastCrawlFolder_ = nullptr;  // the link フォルダを開く beside it
  std::string lastCrawlTitle_;
};

}  // namespace harvel
