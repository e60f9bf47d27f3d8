#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include "crawl/option_table.h"
#include "main_frm_fixture.h"
#include "main_window/check_captions.h"
#include "main_window/last_crawl_panel.h"
#include "main_window/picture_button.h"
#include "main_window/up_down.h"

namespace harvel::test {
namespace {

const CrawlTarget kBuiltIn{"Harvelのホームページ", "https://harvel.example.org/", "3"};

TEST_F(MainFrmTest, StartsWithTheBuiltInRowTextsAndOptions) {
  EXPECT_EQ(frm->windowTitle(), QStringLiteral("Harvel Ver.1.0.0"));
  EXPECT_EQ(rows(), std::vector<CrawlTarget>{kBuiltIn});
  EXPECT_EQ(frm->currentRow(), 0);
  EXPECT_EQ(edit("TitleTxt")->text(), QStringLiteral("タイトル"));
  EXPECT_EQ(edit("URLTxt")->text(), QStringLiteral("http://"));
  EXPECT_EQ(edit("LevelTxt")->text(), QStringLiteral("3"));

  for (const char* ticked :
       {"GifChk", "JpegChk", "PngChk", "FolderOpenChk", "TextGetChk", "PicFastDownChk", "CGIChk"}) {
    EXPECT_TRUE(box(ticked)->isChecked()) << ticked;
  }
  for (const char* clear : {"HtmChk", "MailChk", "OtherChk", "UserSetChk", "RenbanChk",
                            "CommonURLChk", "ModernPageChk"}) {
    EXPECT_FALSE(box(clear)->isChecked()) << clear;
  }
  EXPECT_EQ(edit("UserSetTxt")->text(), QStringLiteral("gif,jpg,jpeg,png"));
  EXPECT_FALSE(edit("UserSetTxt")->isEnabled());
  for (const char* type : {"GifChk", "JpegChk", "PngChk", "HtmChk", "OtherChk", "MailChk"}) {
    EXPECT_TRUE(box(type)->isEnabled()) << type;
  }
  EXPECT_EQ(edit("CommonURLTxt")->text(), QStringLiteral("https://harvel.example.org/"));
  EXPECT_TRUE(edit("CommonURLTxt")->isEnabled());
  EXPECT_EQ(control<QSlider>("Slider1")->value(), 0);
  EXPECT_EQ(frm->speedLevel(), 0);

  EXPECT_EQ(frm->statusPanelText(1), QStringLiteral("Harvel"));
  EXPECT_EQ(frm->statusPanelText(2),
            QStringLiteral("リストをダブルクリックするか、リスト項目をクリック(選択)して"
                           "「ファイル取得」を選んでください"));
  EXPECT_EQ(downloaderLookups, 1);
  EXPECT_TRUE(messages.empty());
}

TEST_F(MainFrmTest, CaptionIsPlainHarvelUntilLoad) {
  MainFrm fresh{MainFrmServices{}};
  EXPECT_EQ(fresh.windowTitle(), QStringLiteral("Harvel"));
  EXPECT_EQ(fresh.collectionList().rowCount(), 0);
}

TEST_F(MainFrmTest, ControlsSitWhereTheTwipsPutThem) {
  EXPECT_EQ(frm->centralWidget()->height() + frm->statusBar()->height(), 536);
  EXPECT_EQ(frm->width(), 668);
  EXPECT_EQ(frm->minimumSize(), frm->maximumSize());  // a fixed window
  EXPECT_EQ(list()->geometry(), QRect(8, 32, 345, 313));
  EXPECT_EQ(control<QWidget>("GetBtn")->geometry(), QRect(376, 112, 121, 25));
  EXPECT_EQ(control<QWidget>("HPBtn")->geometry(), QRect(8, 472, 121, 25));
  EXPECT_EQ(control<QWidget>("AddBtn")->geometry(), QRect(600, 112, 65, 25));
  EXPECT_EQ(control<QWidget>("Frame1")->geometry(), QRect(368, 176, 297, 129));
  EXPECT_EQ(control<QWidget>("Frame3")->geometry(), QRect(368, 312, 297, 193));
  EXPECT_EQ(control<QWidget>("Frame2")->geometry(), QRect(8, 384, 297, 81));
  EXPECT_EQ(edit("LevelTxt")->geometry(), QRect(552, 88, 97, 18));
  EXPECT_EQ(control<QWidget>("UpDown1")->geometry(), QRect(649, 88, 16, 18));
  EXPECT_EQ(control<QWidget>("Image1")->size(), QSize(152, 23));
  EXPECT_EQ(control<QWidget>("StatusBar1")->height(), 25);

  QHeaderView* header = list()->header();
  EXPECT_EQ(header->model()->headerData(0, Qt::Horizontal), QStringLiteral("タイトル"));
  EXPECT_EQ(header->model()->headerData(1, Qt::Horizontal), QStringLiteral("URL"));
  EXPECT_EQ(header->model()->headerData(2, Qt::Horizontal), QStringLiteral("レベル"));
  EXPECT_EQ(header->sectionSize(0), 107);
  EXPECT_EQ(header->sectionSize(1), 187);
  EXPECT_EQ(header->sectionSize(2), 53);

  for (const char* name :
       {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label9", "Label10", "Line1",
        "UserSetTxt", "CommonURLTxt", "TitleTxt", "URLTxt"}) {
    EXPECT_NE(frm->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
  }
  EXPECT_EQ(control<QLabel>("Label4")->text(), QStringLiteral("リンクを追うレベル(0～5推奨)"));
  EXPECT_EQ(control<QGroupBox>("Frame1")->title(), QStringLiteral("収集する形式"));
  EXPECT_EQ(control<QGroupBox>("Frame2")->title(), QStringLiteral("優先度"));
  EXPECT_EQ(control<QGroupBox>("Frame3")->title(), QStringLiteral("その他"));
}

TEST_F(MainFrmTest, PictureButtonsShowTheirWordsAsPicturesAndNames) {
  const std::pair<const char*, const char*> buttons[] = {
      {"AddBtn", "追加"},      {"ChangeBtn", "変更"},      {"DelBtn", "削除"},
      {"AllDelBtn", "クリア"}, {"GetBtn", "ファイル取得"}, {"HPBtn", "HPを見に行く"}};
  for (const auto& [name, words] : buttons) {
    auto* button = control<PictureButton>(name);
    EXPECT_TRUE(button->text().isEmpty()) << name;
    EXPECT_EQ(button->accessibleName(), QString::fromUtf8(words)) << name;
    EXPECT_EQ(button->picture().size(), button->size()) << name;
    // The words are drawn: the picture is not one flat colour.
    const QImage image = button->picture().toImage();
    const QRgb centre = image.pixel(image.width() / 2, image.height() / 2);
    bool drawn = false;
    for (int x = 0; x < image.width() && !drawn; ++x) {
      drawn = image.pixel(x, image.height() / 2) != centre;
    }
    EXPECT_TRUE(drawn) << name;
  }
}

TEST_F(MainFrmTest, OptionsAreReadLiveFromTheControls) {
  const CrawlOptions& options = frm->options();
  EXPECT_TRUE(options.on(Check::Gif));
  EXPECT_FALSE(options.on(Check::Htm));
  box("GifChk")->setChecked(false);
  box("HtmChk")->setChecked(true);
  EXPECT_EQ(options.value(Check::Gif), 0);
  EXPECT_EQ(options.value(Check::Htm), 1);

  // Only exactly 1 counts as on: a greyed box holds 2.
  box("MailChk")->setTristate(true);
  box("MailChk")->setCheckState(Qt::PartiallyChecked);
  EXPECT_EQ(options.value(Check::Mail), 2);
  EXPECT_FALSE(options.on(Check::Mail));

  edit("UserSetTxt")->setText(QStringLiteral("zip,,lzh"));
  edit("CommonURLTxt")->setText(QStringLiteral("example.com/画像"));
  EXPECT_EQ(options.userSetText(), "zip,,lzh");
  EXPECT_EQ(options.commonUrlText(), "example.com/画像");

  const std::pair<Check, const char*> bound[] = {{Check::UserSet, "UserSetChk"},
                                                 {Check::Gif, "GifChk"},
                                                 {Check::Jpeg, "JpegChk"},
                                                 {Check::Png, "PngChk"},
                                                 {Check::Htm, "HtmChk"},
                                                 {Check::Other, "OtherChk"},
                                                 {Check::FolderOpen, "FolderOpenChk"},
                                                 {Check::TextGet, "TextGetChk"},
                                                 {Check::PicFastDown, "PicFastDownChk"},
                                                 {Check::Renban, "RenbanChk"},
                                                 {Check::CGI, "CGIChk"},
                                                 {Check::CommonURL, "CommonURLChk"},
                                                 {Check::ModernPages, "ModernPageChk"}};
  for (const auto& [check, name] : bound) {
    box(name)->setChecked(true);
    EXPECT_EQ(options.value(check), 1) << name;
    box(name)->setChecked(false);
    EXPECT_EQ(options.value(check), 0) << name;
  }
}

TEST_F(MainFrmTest, CheckBoxesFollowTheOptionTable) {
  // Every check box of the options panel is an option of the table; the
  // 詳細設定 dialog's are options beyond it.
  QList<QCheckBox*> boxes = frm->findChildren<QCheckBox*>();
  boxes.removeIf([this](QCheckBox* box) { return frm->settingsDialog().isAncestorOf(box); });
  EXPECT_EQ(static_cast<std::size_t>(boxes.size()), kCheckCount);
  for (const CheckOption& option : kCheckOptions) {
    const QString caption = QString::fromUtf8(CheckCaption(option.check));
    QCheckBox* found = nullptr;
    for (QCheckBox* candidate : boxes) {
      if (candidate->text() == caption)
        found = candidate;
    }
    ASSERT_NE(found, nullptr) << option.name;
    EXPECT_EQ(found->isChecked(), option.onByDefault) << option.name;
    EXPECT_EQ(frm->options().value(option.check), option.onByDefault ? 1 : 0) << option.name;
    // The box with the caption is the one the crawl reads for the option.
    found->setChecked(!option.onByDefault);
    EXPECT_EQ(frm->options().value(option.check), option.onByDefault ? 0 : 1) << option.name;
  }
}

TEST_F(MainFrmTest, ModernPagesBoxIsOffAndFitsTheOtherFrame) {
  QCheckBox* modern = box("ModernPageChk");
  EXPECT_EQ(modern->text(), QStringLiteral("ページを詳しく解析する(srcset・CSS・遅延読み込み)"));
  EXPECT_FALSE(modern->isChecked());
  EXPECT_FALSE(frm->options().on(Check::ModernPages));
  EXPECT_EQ(modern->parentWidget()->objectName(), QStringLiteral("Frame3"));
  EXPECT_TRUE(QRect(QPoint(0, 0), modern->parentWidget()->size()).contains(modern->geometry()));
  for (const char* neighbour : {"CGIChk", "CommonURLChk", "CommonURLTxt"}) {
    EXPECT_FALSE(modern->geometry().intersects(control<QWidget>(neighbour)->geometry()))
        << neighbour;
  }
  modern->click();
  EXPECT_TRUE(frm->options().on(Check::ModernPages));
}

TEST_F(MainFrmTest, DetailedTypesSwitchesEnabledFlagsAndKeepsCheckMarks) {
  const char* types[] = {"GifChk", "JpegChk", "PngChk", "HtmChk", "OtherChk"};
  box("HtmChk")->setChecked(true);
  box("GifChk")->setChecked(false);

  box("UserSetChk")->click();
  EXPECT_TRUE(box("UserSetChk")->isChecked());
  EXPECT_TRUE(edit("UserSetTxt")->isEnabled());
  for (const char* type : types)
    EXPECT_FALSE(box(type)->isEnabled()) << type;
  EXPECT_TRUE(box("MailChk")->isEnabled());
  // Disabled boxes keep their marks, and the crawl still sees them.
  EXPECT_TRUE(box("HtmChk")->isChecked());
  EXPECT_FALSE(box("GifChk")->isChecked());
  EXPECT_TRUE(frm->options().on(Check::Htm));
  EXPECT_TRUE(frm->options().on(Check::Jpeg));

  box("UserSetChk")->click();
  EXPECT_FALSE(edit("UserSetTxt")->isEnabled());
  for (const char* type : types)
    EXPECT_TRUE(box(type)->isEnabled()) << type;
  EXPECT_TRUE(box("MailChk")->isEnabled());
  EXPECT_TRUE(box("HtmChk")->isChecked());
  EXPECT_FALSE(box("GifChk")->isChecked());
}

TEST_F(MainFrmTest, AddAppendsTheEditBoxesAndKeepsThem) {
  frm->AddBtn_Click();
  frm->AddBtn_Click();
  const CrawlTarget untouched{"タイトル", "http://", "3"};
  EXPECT_EQ(rows(), (std::vector<CrawlTarget>{kBuiltIn, untouched, untouched}));
  EXPECT_EQ(frm->currentRow(), 0);  // adding does not move the current row
  EXPECT_EQ(edit("TitleTxt")->text(), QStringLiteral("タイトル"));

  type("", " spaced ", "abc");  // stored exactly as typed
  frm->AddBtn_Click();
  EXPECT_EQ(rows().back(), (CrawlTarget{"", " spaced ", "abc"}));
}

TEST_F(MainFrmTest, ChangeOverwritesTheCurrentRowOnly) {
  type("a", "http://a/", "1");
  frm->AddBtn_Click();
  type("b", "http://b/", "2");
  frm->AddBtn_Click();
  select(1);
  type("changed", "http://c/", "0");
  frm->ChangeBtn_Click();
  EXPECT_EQ(rows(), (std::vector<CrawlTarget>{
                        kBuiltIn, {"changed", "http://c/", "0"}, {"b", "http://b/", "2"}}));
}

TEST_F(MainFrmTest, DeleteRemovesTheCurrentRowAndKeepsTheOrder) {
  type("second", "http://2/", "1");
  frm->AddBtn_Click();
  type("third", "http://3/", "1");
  frm->AddBtn_Click();
  select(1);
  frm->DelBtn_Click();
  EXPECT_EQ(rows(), (std::vector<CrawlTarget>{kBuiltIn, {"third", "http://3/", "1"}}));
  // The list still has a current row, so the next delete acts at once.
  ASSERT_GE(frm->currentRow(), 0);
  frm->DelBtn_Click();
  frm->DelBtn_Click();
  EXPECT_TRUE(rows().empty());
  EXPECT_EQ(frm->currentRow(), -1);
}

TEST_F(MainFrmTest, ClearEmptiesTheListAndTheNextAddBecomesCurrent) {
  frm->AddBtn_Click();
  frm->AddBtn_Click();
  frm->AllDelBtn_Click();
  EXPECT_TRUE(rows().empty());
  type("new", "http://new/", "2");
  frm->AddBtn_Click();
  EXPECT_EQ(frm->currentRow(), 0);
  frm->DelBtn_Click();
  EXPECT_TRUE(rows().empty());
}

TEST_F(MainFrmTest, RowOperationsOnAnEmptyListDoNothing) {
  frm->AllDelBtn_Click();
  type("x", "http://x/", "9");
  frm->ChangeBtn_Click();
  frm->DelBtn_Click();
  frm->AllDelBtn_Click();
  frm->ListView1_Click();
  frm->ListView1_DblClick();
  frm->GetBtn_Click();
  EXPECT_TRUE(rows().empty());
  EXPECT_TRUE(started.empty());
  EXPECT_EQ(edit("TitleTxt")->text(), QStringLiteral("x"));
  EXPECT_TRUE(messages.empty());
}

TEST_F(MainFrmTest, ClickingARowShowsItAndEditingDoesNotChangeTheRow) {
  type("second", "http://2/", "5");
  frm->AddBtn_Click();
  type("", "", "");
  frm->show();
  const QRect rect = list()->visualRect(frm->collectionList().index(1, 1));
  QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
  EXPECT_EQ(frm->currentRow(), 1);
  EXPECT_EQ(edit("TitleTxt")->text(), QStringLiteral("second"));
  EXPECT_EQ(edit("URLTxt")->text(), QStringLiteral("http://2/"));
  EXPECT_EQ(edit("LevelTxt")->text(), QStringLiteral("5"));

  edit("TitleTxt")->setText(QStringLiteral("edited"));
  EXPECT_EQ(rows()[1].title, "second");
  frm->ChangeBtn_Click();
  EXPECT_EQ(rows()[1].title, "edited");
}

TEST_F(MainFrmTest, DoubleClickStartsACrawlOfThatRow) {
  type("second", "http://2/", "1");
  frm->AddBtn_Click();
  frm->show();
  const QRect rect = list()->visualRect(frm->collectionList().index(1, 0));
  // A double click: press and release, then the second press arrives as a double click.
  QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
  QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
  QCoreApplication::processEvents();  // the start runs from the event loop
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0], (CrawlTarget{"second", "http://2/", "1"}));

  select(0);
  control<QAbstractButton>("GetBtn")->click();
  QCoreApplication::processEvents();
  ASSERT_EQ(started.size(), 2u);
  EXPECT_EQ(started[1], kBuiltIn);
  EXPECT_TRUE(messages.empty());
}

// 前回の巡回 names each kind of end only when the crawl had one: a crawl
// without them reads as it always did.
TEST_F(MainFrmTest, TheLastCrawlPanelAddsEachCountOnlyWhenThereWasOne) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const auto landed = [&folder](const char* name, std::int64_t resumedFrom = 0) {
    RequestRecord record{std::string("http://127.0.0.1/") + name,
                         (folder.path() + '/' + QString::fromLatin1(name)).toStdString(),
                         {}};
    QFile file(QString::fromStdString(record.path));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    record.outcome.resumedFrom = resumedFrom;
    return record;
  };
  LastCrawlPanel& panel = frm->lastCrawlPanel();

  panel.loaded();
  panel.requestEnded(landed("a.gif"));
  panel.unloaded();
  EXPECT_EQ(panel.text(), QStringLiteral("前回の巡回: 取得 1 / 失敗 0"));

  panel.loaded();
  panel.requestEnded(landed("b.jpg", 40000));
  panel.requestEnded(landed("b.jpg", 40000));  // landed twice under one name: one file
  panel.requestEnded(landed("c.jpg"));
  RequestRecord page = landed("page.html", 70000);  // read for its links, then removed
  panel.requestEnded(page);
  QFile::remove(QString::fromStdString(page.path));
  RequestRecord refused = landed("private.gif");
  refused.outcome.landed = false;
  refused.outcome.robotsExcluded = true;
  panel.requestEnded(refused);
  panel.unloaded();
  EXPECT_EQ(panel.text(), QStringLiteral("前回の巡回: 取得 2 / 失敗 0 / 除外 1 / 再開 1"));

  panel.loaded();
  panel.markStopped();
  EXPECT_EQ(panel.text(), QStringLiteral("前回の巡回: 取得 0 / 失敗 0 (中止)"));
}

TEST_F(MainFrmTest, RefusedTitlesAndALostDownloaderAreToldToTheUser) {
  nextStart = {CrawlOutcome::TitleRefused, "「..」はフォルダの名前に使えません"};
  frm->GetBtn_Click();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], QStringLiteral("「..」はフォルダの名前に使えません"));

  nextStart = {CrawlOutcome::ChannelFailed, "接続が切れました"};
  frm->GetBtn_Click();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_TRUE(messages[1].contains(QStringLiteral("接続が切れました")));

  for (CrawlOutcome quiet :
       {CrawlOutcome::Completed, CrawlOutcome::Closed, CrawlOutcome::AlreadyRunning}) {
    nextStart = {quiet, ""};
    frm->ListView1_DblClick();
  }
  EXPECT_EQ(messages.size(), 2u);
  EXPECT_EQ(started.size(), 5u);
}

TEST_F(MainFrmTest, SliderSetsSpeedLevel) {
  auto* slider = control<QSlider>("Slider1");
  EXPECT_EQ(slider->minimum(), 0);
  EXPECT_EQ(slider->maximum(), 5);
  EXPECT_EQ(slider->singleStep(), 1);
  EXPECT_EQ(slider->pageStep(), 2);
  slider->setValue(5);
  EXPECT_EQ(frm->speedLevel(), 5);
  EXPECT_EQ(frm->options().speedLevel(), 5);
  slider->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(frm->speedLevel(), 3);
  slider->setValue(0);
  EXPECT_EQ(frm->speedLevel(), 0);
  EXPECT_EQ(frm->options().speedLevel(), 0);
}

TEST_F(MainFrmTest, JobsSpinSetsTheDownloadsAtOnce) {
  auto* jobs = control<QSpinBox>("JobsSpin");
  EXPECT_EQ(jobs->minimum(), 1);
  EXPECT_EQ(jobs->maximum(), 16);
  EXPECT_EQ(jobs->value(), 6);
  EXPECT_EQ(frm->options().jobs(), 6);
  jobs->setValue(1);
  EXPECT_EQ(frm->options().jobs(), 1);
  jobs->setValue(99);
  EXPECT_EQ(frm->options().jobs(), 16);
}

TEST_F(MainFrmTest, MaxSizeSpinLimitsTheFileSize) {
  auto* maxSize = control<QSpinBox>("MaxSizeSpin");
  EXPECT_EQ(maxSize->value(), 0);
  EXPECT_EQ(maxSize->text(), QStringLiteral("制限なし"));
  EXPECT_EQ(frm->options().maxFileSize(), std::nullopt);
  // Its caption fits the label, and it stays clear of the list's buttons.
  auto* label = control<QLabel>("Label12");
  EXPECT_EQ(label->text(), QStringLiteral("最大ファイルサイズ"));
  EXPECT_LE(label->sizeHint().width(), label->width());
  EXPECT_LT(maxSize->geometry().right(), control<QWidget>("AllDelBtn")->geometry().left());

  maxSize->setValue(1);
  EXPECT_EQ(frm->options().maxFileSize(), std::optional<std::int64_t>(1024));
  maxSize->setValue(maxSize->maximum());
  EXPECT_EQ(frm->options().maxFileSize(), std::int64_t{maxSize->maximum()} * 1024);
  maxSize->setValue(0);
  EXPECT_EQ(frm->options().maxFileSize(), std::nullopt);
}

TEST_F(MainFrmTest, UpDownStepsTheTypedNumberWithinZeroToTen) {
  auto* upDown = control<UpDown>("UpDown1");
  QLineEdit* level = edit("LevelTxt");
  EXPECT_EQ(upDown->buddy(), level);
  EXPECT_EQ(upDown->minimum(), 0);
  EXPECT_EQ(upDown->maximum(), 10);

  upDown->stepBy(1);  // from the typed 3, not from the control's own 0
  EXPECT_EQ(level->text(), QStringLiteral("4"));
  level->setText(QStringLiteral("10"));
  upDown->stepBy(1);
  EXPECT_EQ(level->text(), QStringLiteral("10"));
  level->setText(QStringLiteral("0"));
  upDown->stepBy(-1);
  EXPECT_EQ(level->text(), QStringLiteral("0"));
  level->setText(QStringLiteral("25"));
  upDown->stepBy(-1);
  EXPECT_EQ(level->text(), QStringLiteral("9"));
  level->setText(QStringLiteral("abc"));  // not a number: counts as 0
  upDown->stepBy(1);
  EXPECT_EQ(level->text(), QStringLiteral("1"));
  level->setText(QString());
  upDown->stepBy(-1);
  EXPECT_EQ(level->text(), QStringLiteral("0"));

  // The arrows are real buttons.
  level->setText(QStringLiteral("5"));
  const auto arrows = upDown->findChildren<QAbstractButton*>();
  ASSERT_EQ(arrows.size(), 2);
  arrows[0]->click();
  EXPECT_EQ(level->text(), QStringLiteral("6"));
  arrows[1]->click();
  arrows[1]->click();
  EXPECT_EQ(level->text(), QStringLiteral("4"));
}

QAction* Action(MainFrm& frm, const char* name) {
  for (QAction* action : frm.findChildren<QAction*>(QString::fromLatin1(name))) {
    if (!action->menu())
      return action;
  }
  return nullptr;
}

TEST_F(MainFrmTest, MenusAreListedExactly) {
  const QList<QAction*> menus = frm->menuBar()->actions();
  ASSERT_EQ(menus.size(), 4);
  const std::vector<std::pair<QString, std::vector<std::pair<QString, QString>>>> expected = {
      {"ファイル(&F)",
       {{"IDM_FILE_OPEN", "リストファイルを開く(&O)"},
        {"IMD_FILE_SAVE", "リストファイルへ保存(&S)"},
        {"IDM_FILE_FOLDER", "前回のフォルダを開く(&D)"},
        {"IDM_FILE_SEPARATOR", ""},
        {"IDM_EXIT", "終了(&X)"}}},
      {"編集(&E)",
       {{"IDM_LIST_GET", "ファイル取得(&G)"},
        {"IDM_LIST_SEPARATOR", ""},
        {"IDM_LIST_ADD", "追加(&A)"},
        {"IDM_LIST_CHANGE", "変更(&C)"},
        {"IDM_EDIT_SEPARATOR", ""},
        {"IDM_LIST_DEL", "削除(&D)"},
        {"IDM_LIST_ALLDEL", "クリア(&L)"},
        {"IDM_RECORD_SEPARATOR", ""},
        {"IDM_LIST_FORGET", "取得記録を消去(&R)"}}},
      {"ツール(&T)", {{"IDM_TOOL_SETTINGS", "詳細設定(&S)..."}}},
      {"ヘルプ(&H)",
       {{"IDM_HELP_HARVEL", "最新版を確認(&N)"},
        {"IDM_HELP_EPARATOR", ""},
        {"IDM_HELP_HP", "いろいろなソフトを公開しています(&P)"}}}};
  const char* menuNames[] = {"IDM_FILE", "IDM_LIST", "IDM_TOOL", "IDM_HELP"};
  for (int m = 0; m < 4; ++m) {
    QMenu* menu = menus[m]->menu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), expected[m].first);
    EXPECT_EQ(menu->objectName(), QString::fromLatin1(menuNames[m]));
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), static_cast<qsizetype>(expected[m].second.size()));
    for (qsizetype i = 0; i < items.size(); ++i) {
      EXPECT_EQ(items[i]->objectName(), expected[m].second[i].first);
      EXPECT_EQ(items[i]->text(), expected[m].second[i].second);
      // A separator is a line only: no text of its own.
      EXPECT_EQ(items[i]->isSeparator(), expected[m].second[i].second.isEmpty());
      EXPECT_TRUE(items[i]->shortcut().isEmpty());
      EXPECT_FALSE(items[i]->isCheckable());
      EXPECT_TRUE(items[i]->isEnabled());
    }
  }
}

TEST_F(MainFrmTest, EnterAndF5GetTheSelectedRowAndDeleteRemovesItAfterAQuestion) {
  type("second", "http://2/", "5");
  frm->AddBtn_Click();
  select(1);
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_F5}) {
    QTest::keyClick(list(), key);
    QCoreApplication::processEvents();  // the start runs from the event loop
  }
  ASSERT_EQ(started.size(), 3u);
  EXPECT_EQ(started[2], (CrawlTarget{"second", "http://2/", "5"}));

  nextAnswer = false;
  QTest::keyClick(list(), Qt::Key_Delete);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_TRUE(questions[0].contains(QStringLiteral("「second」")));
  EXPECT_EQ(rows().size(), 2u);
  nextAnswer = true;
  QTest::keyClick(list(), Qt::Key_Delete);
  EXPECT_EQ(rows().size(), 1u);
  EXPECT_EQ(frm->currentRow(), 0);  // the row before takes the selection
}

TEST_F(MainFrmTest, AClickBelowTheRowsSelectsNothingAndRowOperationsThenDoNothing) {
  type("second", "http://2/", "5");
  frm->AddBtn_Click();
  frm->show();
  const QRect second = list()->visualRect(frm->collectionList().index(1, 0));
  QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, second.center());
  ASSERT_EQ(frm->currentRow(), 1);

  const QPoint below(second.center().x(), second.bottom() + 3 * second.height());
  ASSERT_FALSE(list()->indexAt(below).isValid());
  QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, below);
  EXPECT_EQ(frm->currentRow(), -1);
  EXPECT_TRUE(list()->currentIndex().isValid());  // the focus stays on a row

  type("changed", "http://c/", "1");
  Action(*frm, "IDM_LIST_DEL")->trigger();
  Action(*frm, "IDM_LIST_CHANGE")->trigger();
  Action(*frm, "IDM_LIST_GET")->trigger();
  frm->DelBtn_Click();
  frm->ChangeBtn_Click();
  frm->GetBtn_Click();
  QCoreApplication::processEvents();
  EXPECT_EQ(rows(), (std::vector<CrawlTarget>{kBuiltIn, {"second", "http://2/", "5"}}));
  EXPECT_TRUE(started.empty());

  // Selecting a row again makes the operations act on it.
  QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, second.center());
  frm->DelBtn_Click();
  EXPECT_EQ(rows(), std::vector<CrawlTarget>{kBuiltIn});
}

TEST_F(MainFrmTest, EditMenuItemsReachTheListHandlers) {
  type("a", "http://a/", "1");
  Action(*frm, "IDM_LIST_ADD")->trigger();
  EXPECT_EQ(rows().size(), 2u);
  select(1);
  type("b", "http://b/", "2");
  Action(*frm, "IDM_LIST_CHANGE")->trigger();
  EXPECT_EQ(rows()[1], (CrawlTarget{"b", "http://b/", "2"}));
  Action(*frm, "IDM_LIST_GET")->trigger();
  QCoreApplication::processEvents();
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0], rows()[1]);
  Action(*frm, "IDM_LIST_DEL")->trigger();
  EXPECT_EQ(rows(), std::vector<CrawlTarget>{kBuiltIn});
  Action(*frm, "IDM_LIST_ALLDEL")->trigger();
  EXPECT_TRUE(rows().empty());
  Action(*frm, "IDM_LIST_GET")->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(started.size(), 1u);
}

TEST_F(MainFrmTest, HelpItemsAndHPBtnOpenTheProjectPages) {
  Action(*frm, "IDM_HELP_HARVEL")->trigger();
  Action(*frm, "IDM_HELP_HP")->trigger();
  control<QAbstractButton>("HPBtn")->click();
  EXPECT_EQ(opened,
            (std::vector<QString>{"https://harvel.example.org/harvel/",
                                  "https://harvel.example.org/", "https://harvel.example.org/"}));
}

TEST_F(MainFrmTest, ExitShutsDownInOrderOnce) {
  frm->show();
  Action(*frm, "IDM_EXIT")->trigger();
  EXPECT_FALSE(frm->isVisible());
  EXPECT_EQ(calls, (std::vector<std::string>{"closeCrawlWindow", "closeDownloader", "endProgram"}));
  frm->close();  // a second close does not shut down twice
  EXPECT_EQ(calls.size(), 3u);
}

TEST_F(MainFrmTest, CloseBoxShutsDownLikeExit) {
  frm->show();
  frm->close();
  EXPECT_EQ(calls, (std::vector<std::string>{"closeCrawlWindow", "closeDownloader", "endProgram"}));
}

TEST_F(MainFrmTest, AMissingDownloaderIsToldOnceAndTheWindowStillWorks) {
  make(/*downloaderFound=*/false);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].contains(QStringLiteral("VeskDownloader")));
  EXPECT_EQ(frm->windowTitle(), QStringLiteral("Harvel Ver.1.0.0"));
  frm->AddBtn_Click();
  EXPECT_EQ(rows().size(), 2u);
  EXPECT_EQ(messages.size(), 1u);
}

}  // namespace
}  // namespace harvel::test
