// The controls of the main window, laid out as designed in twips.
#include <QMenuBar>
#include <QSpinBox>
#include <QStatusBar>
#include <algorithm>

#include "crawl/option_table.h"
#include "main_window/check_captions.h"
#include "main_window/harvel_addresses.h"
#include "main_window/main_frm.h"
#include "widgets/elided_label.h"
#include "widgets/list_view.h"
#include "widgets/twips.h"
#include "widgets/window_font.h"

namespace harvel {

namespace {

// The client area below the menu bar: 10020 x 8040 twips.
constexpr int kClientWidth = TwipsToPixels(10020);
constexpr int kClientHeight = TwipsToPixels(8040);
constexpr int kStatusBarHeight = TwipsToPixels(375);
// The largest value the file-size box takes, in KB: about 100 GB, eight digits that fit the box.
constexpr int kMaxFileSizeKb = 99'999'999;

QLabel* MakeLabel(const char* name, const QString& text, const QRect& geometry, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setGeometry(geometry);
  return label;
}

QLineEdit* MakeTextBox(const char* name, const QString& text, const QRect& geometry,
                       QWidget* parent) {
  auto* edit = new QLineEdit(text, parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setGeometry(geometry);
  edit->setCursorPosition(0);
  return edit;
}

// A check box with the option's caption and the starting state kCheckOptions gives it.
QCheckBox* MakeCheckBox(const char* name, Check check, const QRect& geometry, QWidget* parent) {
  const CheckOption& option = OptionOf(check);
  auto* box = new QCheckBox(QCoreApplication::translate("MainFrm", CheckCaption(check)), parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setChecked(option.onByDefault);
  box->setGeometry(geometry);
  return box;
}

QGroupBox* MakeFrame(const char* name, const QString& caption, const QRect& geometry,
                     QWidget* parent) {
  auto* frame = new QGroupBox(caption, parent);
  frame->setObjectName(QString::fromLatin1(name));
  frame->setGeometry(geometry);
  return frame;
}

}  // namespace

void MainFrm::buildControls() {
  setObjectName(QStringLiteral("MainFrm"));
  setWindowTitle(QStringLiteral("Harvel"));
  setFont(WindowFont(font()));

  auto* client = new QWidget(this);
  client->setObjectName(QStringLiteral("MainFrmClient"));
  client->setFixedSize(kClientWidth, kClientHeight - kStatusBarHeight);
  setCentralWidget(client);

  MakeLabel("Label1", tr("■収集リスト"), TwipsRect(240, 120, 1215, 495), client)
      ->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  ListView1 = new QTreeView(client);
  ListView1->setObjectName(QStringLiteral("ListView1"));
  ListView1->setGeometry(TwipsRect(120, 480, 5175, 4695));
  SetUpListView(*ListView1, list_, {1600, 2800, 800});

  AllDelBtn = new PictureButton(QStringLiteral("AllDelBtn"), tr("クリア"),
                                TwipsRect(3240, 5280, 975, 375), client);
  DelBtn = new PictureButton(QStringLiteral("DelBtn"), tr("削除"), TwipsRect(4320, 5280, 975, 375),
                             client);
  // The largest file a crawl keeps, in KB (0: no limit); not stored. It takes the
  // free place left of the list's buttons, the only one the layout has.
  MakeLabel("Label12", tr("最大ファイルサイズ"), TwipsRect(120, 5340, 1620, 255), client)
      ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  MaxSizeSpin = new QSpinBox(client);
  MaxSizeSpin->setObjectName(QStringLiteral("MaxSizeSpin"));
  MaxSizeSpin->setGeometry(TwipsRect(1800, 5280, 1335, 375));
  MaxSizeSpin->setRange(0, kMaxFileSizeKb);
  MaxSizeSpin->setSpecialValueText(tr("制限なし"));
  MaxSizeSpin->setSuffix(QStringLiteral(" KB"));
  MaxSizeSpin->setValue(0);
  MaxSizeSpin->setAccessibleName(tr("最大ファイルサイズ(KB)"));

  Frame2 = MakeFrame("Frame2", tr("優先度"), TwipsRect(120, 5760, 4455, 1215), client);
  Slider1 = new QSlider(Qt::Horizontal, Frame2);
  Slider1->setObjectName(QStringLiteral("Slider1"));
  Slider1->setGeometry(TwipsRect(120, 360, 4095, 375));
  Slider1->setRange(0, 5);
  Slider1->setSingleStep(1);
  Slider1->setPageStep(2);
  Slider1->setTickPosition(QSlider::TicksBelow);
  Slider1->setTickInterval(1);
  Slider1->setAccessibleName(tr("速度"));
  MakeLabel("Label9", tr("←高速・処理重い"), TwipsRect(240, 840, 1575, 255), Frame2)
      ->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  MakeLabel("Label10", tr("低速・処理軽い→"), TwipsRect(2520, 840, 1575, 255), Frame2)
      ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  HPBtn = new PictureButton(QStringLiteral("HPBtn"), tr("HPを見に行く"),
                            TwipsRect(120, 7080, 1815, 375), client);
  // How many files are fetched at once at the fastest pacing; not stored.
  MakeLabel("Label11", tr("同時ダウンロード数"), TwipsRect(2160, 7140, 1935, 255), client)
      ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  JobsSpin = new QSpinBox(client);
  JobsSpin->setObjectName(QStringLiteral("JobsSpin"));
  JobsSpin->setGeometry(TwipsRect(4200, 7080, 735, 375));
  JobsSpin->setRange(1, kMaxJobs);
  JobsSpin->setValue(kDefaultJobs);
  JobsSpin->setAccessibleName(tr("同時ダウンロード数"));

  auto* line1 = new QFrame(client);
  line1->setObjectName(QStringLiteral("Line1"));
  line1->setFrameShape(QFrame::VLine);
  line1->setFrameShadow(QFrame::Sunken);
  line1->setGeometry(TwipsToPixels(5400) - 1, TwipsToPixels(120), 3, TwipsToPixels(6720 - 120));

  MakeLabel("Label5", tr("■個別設定"), TwipsRect(5640, 240, 1455, 255), client);
  auto* image1 = new QLabel(client);
  image1->setObjectName(QStringLiteral("Image1"));
  image1->setGeometry(TwipsRect(7680, 120, 2280, 345));
  image1->setPixmap(DrawLogoPicture(image1->size()));

  MakeLabel("Label2", tr("タイトル"), TwipsRect(5520, 600, 1215, 255), client);
  TitleTxt = MakeTextBox("TitleTxt", tr("タイトル"), TwipsRect(6360, 600, 3615, 270), client);
  MakeLabel("Label3", QStringLiteral("URL"), TwipsRect(5520, 960, 1215, 255), client);
  URLTxt =
      MakeTextBox("URLTxt", QStringLiteral("http://"), TwipsRect(6360, 960, 3615, 270), client);
  MakeLabel("Label4", tr("リンクを追うレベル(0～5推奨)"), TwipsRect(5520, 1320, 2655, 255), client);
  LevelTxt = MakeTextBox("LevelTxt", QStringLiteral("3"), TwipsRect(8280, 1320, 1455, 270), client);
  UpDown1 = new UpDown(QStringLiteral("UpDown1"), 0, 10, client);
  UpDown1->setGeometry(TwipsRect(9735, 1320, 240, 270));
  UpDown1->setBuddy(LevelTxt);

  GetBtn = new PictureButton(QStringLiteral("GetBtn"), tr("ファイル取得"),
                             TwipsRect(5640, 1680, 1815, 375), client);
  ChangeBtn = new PictureButton(QStringLiteral("ChangeBtn"), tr("変更"),
                                TwipsRect(7920, 1680, 975, 375), client);
  AddBtn = new PictureButton(QStringLiteral("AddBtn"), tr("追加"), TwipsRect(9000, 1680, 975, 375),
                             client);

  MakeLabel("Label6", tr("■全体設定"), TwipsRect(5760, 2280, 1455, 255), client);
  buildOptionFrames(client);

  auto* statusBar1 = new QStatusBar(this);
  statusBar1->setObjectName(QStringLiteral("StatusBar1"));
  statusBar1->setSizeGripEnabled(false);
  statusBar1->setFixedHeight(kStatusBarHeight);
  StatusPanel1 = new QLabel(QStringLiteral("Harvel"), statusBar1);
  StatusPanel1->setFixedWidth(TwipsToPixels(1440));
  StatusPanel2 = new ElidedLabel(
      tr("リストをダブルクリックするか、リスト項目をクリック(選択)して「ファイル取得」を選んで"
         "ください"),
      statusBar1);
  statusBar1->addWidget(StatusPanel1, 0);
  statusBar1->addWidget(StatusPanel2, 1);
  lastCrawl_ = new LastCrawlPanel(statusBar1);
  statusBar1->addWidget(lastCrawl_, 0);
  lastCrawl_->hide();  // until a crawl ends
  lastCrawlFolder_ =
      new QLabel(QStringLiteral("<a href=\"folder\">%1</a>").arg(tr("フォルダを開く")), statusBar1);
  lastCrawlFolder_->setObjectName(QStringLiteral("StatusBar1LastCrawlFolder"));
  lastCrawlFolder_->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                            Qt::LinksAccessibleByKeyboard);
  statusBar1->addWidget(lastCrawlFolder_, 0);
  lastCrawlFolder_->hide();
  connect(lastCrawlFolder_, &QLabel::linkActivated, this, &MainFrm::IDM_FILE_FOLDER_Click);
  setStatusBar(statusBar1);

  // The tab order follows the eye: list, its buttons, then the right column.
  QWidget::setTabOrder(ListView1, MaxSizeSpin);
  QWidget::setTabOrder(MaxSizeSpin, AllDelBtn);
  QWidget::setTabOrder(AllDelBtn, DelBtn);
  QWidget::setTabOrder(DelBtn, Slider1);
  QWidget::setTabOrder(Slider1, HPBtn);
  QWidget::setTabOrder(HPBtn, TitleTxt);
  QWidget::setTabOrder(TitleTxt, URLTxt);
  QWidget::setTabOrder(URLTxt, LevelTxt);
  QWidget::setTabOrder(LevelTxt, GetBtn);
  QWidget::setTabOrder(GetBtn, ChangeBtn);
  QWidget::setTabOrder(ChangeBtn, AddBtn);
  QWidget::setTabOrder(AddBtn, UserSetChk);

  buildMenus();
  setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
}

void MainFrm::buildOptionFrames(QWidget* client) {
  Frame1 = MakeFrame("Frame1", tr("収集する形式"), TwipsRect(5520, 2640, 4455, 1935), client);
  UserSetChk = MakeCheckBox("UserSetChk", Check::UserSet, TwipsRect(240, 240, 3015, 375), Frame1);
  UserSetTxt = MakeTextBox("UserSetTxt", QString::fromUtf8(kBuiltInUserSetText),
                           TwipsRect(360, 600, 3855, 270), Frame1);
  UserSetTxt->setEnabled(false);
  GifChk = MakeCheckBox("GifChk", Check::Gif, TwipsRect(240, 960, 855, 495), Frame1);
  JpegChk = MakeCheckBox("JpegChk", Check::Jpeg, TwipsRect(1320, 960, 855, 495), Frame1);
  PngChk = MakeCheckBox("PngChk", Check::Png, TwipsRect(2880, 960, 855, 495), Frame1);
  HtmChk = MakeCheckBox("HtmChk", Check::Htm, TwipsRect(240, 1320, 855, 495), Frame1);
  MailChk = MakeCheckBox("MailChk", Check::Mail, TwipsRect(1320, 1320, 1455, 495), Frame1);
  OtherChk = MakeCheckBox("OtherChk", Check::Other, TwipsRect(2880, 1320, 855, 495), Frame1);

  Frame3 = MakeFrame("Frame3", tr("その他"), TwipsRect(5520, 4680, 4455, 2895), client);
  // The long captions may use the frame's width up to its right border (2 pixels).
  const int wide = TwipsToPixels(4455 - 120) - 2;
  // Eight rows share the frame: the check boxes stand 315 twips apart.
  FolderOpenChk =
      MakeCheckBox("FolderOpenChk", Check::FolderOpen, TwipsRect(120, 240, 3255, 315), Frame3);
  TextGetChk = MakeCheckBox("TextGetChk", Check::TextGet, TwipsRect(120, 555, 3735, 315), Frame3);
  PicFastDownChk =
      MakeCheckBox("PicFastDownChk", Check::PicFastDown, TwipsRect(120, 870, 4095, 315), Frame3);
  RenbanChk = MakeCheckBox("RenbanChk", Check::Renban, TwipsRect(120, 1185, 4095, 315), Frame3);
  CGIChk = MakeCheckBox("CGIChk", Check::CGI, TwipsRect(120, 1500, 3615, 315), Frame3);
  ModernPageChk =
      MakeCheckBox("ModernPageChk", Check::ModernPages, TwipsRect(120, 1815, 4095, 315), Frame3);
  CommonURLChk =
      MakeCheckBox("CommonURLChk", Check::CommonURL, TwipsRect(120, 2130, 4095, 315), Frame3);
  for (QCheckBox* box : {FolderOpenChk, TextGetChk, PicFastDownChk, RenbanChk, CGIChk,
                         ModernPageChk, CommonURLChk}) {
    box->resize(std::max(box->width(), wide), box->height());
  }
  CommonURLTxt = MakeTextBox("CommonURLTxt", QString::fromUtf8(kHomePageUrl),
                             TwipsRect(360, 2460, 3855, 270), Frame3);
}

}  // namespace harvel
