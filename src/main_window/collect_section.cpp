#include "main_window/collect_section.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>

#include "common/browser_program.h"
#include "crawl/crawl_options.h"
#include "crawl/url_rules.h"

namespace harvel {
namespace {

// The largest side the boxes take; a larger picture is kept by any of them.
constexpr int kLargestSide = 100000;

QSpinBox* SideBox(const char* name, const char* accessibleName, QWidget* parent) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setRange(0, kLargestSide);
  box->setValue(0);
  box->setAccessibleName(QCoreApplication::translate("CollectSection", accessibleName));
  return box;
}

}  // namespace

CollectSection::CollectSection(QWidget* parent)
    : SettingsSection("CollectFrame", tr("取得"), parent) {
  auto* form = new QWidget(this);
  auto* rows = new QFormLayout(form);
  rows->setContentsMargins(0, 0, 0, 0);

  auto* size = new QWidget(form);
  auto* line = new QHBoxLayout(size);
  line->setContentsMargins(0, 0, 0, 0);
  minPictureWidth_ =
      SideBox("MinPictureWidthSpin",
              QT_TRANSLATE_NOOP("CollectSection", "最小画像サイズの幅(ピクセル)"), size);
  minPictureHeight_ =
      SideBox("MinPictureHeightSpin",
              QT_TRANSLATE_NOOP("CollectSection", "最小画像サイズの高さ(ピクセル)"), size);
  line->addWidget(minPictureWidth_);
  line->addWidget(new QLabel(tr("×"), size));
  line->addWidget(minPictureHeight_);
  line->addWidget(new QLabel(tr("ピクセル (0 × 0: すべて取得)"), size));
  line->addStretch(1);
  auto* caption = new QLabel(tr("最小画像サイズ(&M)"), form);
  caption->setBuddy(minPictureWidth_);
  rows->addRow(caption, size);
  size->setToolTip(tr("幅か高さがこれより小さい画像は取得しません(画像の先頭から判定)"));
  addRow(form);

  onlyNew_ = new QCheckBox(tr("取得済みのファイルは取得しない(&N)"), this);
  onlyNew_->setObjectName(QStringLiteral("OnlyNewChk"));
  onlyNew_->setToolTip(
      tr("タイトルのフォルダの .harvel に取得したファイルを記録し、記録にあるファイル"
         "(削除したものも)はもう取得しません。ページは変わったときだけ読み直します"));
  addRow(onlyNew_);

  render_ = new QCheckBox(tr("ブラウザで表示してから読む(&B)"), this);
  render_->setObjectName(QStringLiteral("RenderChk"));
  if (FindBrowserProgram()) {
    render_->setToolTip(
        tr("ページを Chromium で開き、スクリプトの実行後に下までスクロールしてから、表示された"
           "内容と読み込まれた画像を読みます。ブラウザには Cookie・User-Agent・ヘッダ・プロキシ"
           "が渡されます(CA 証明書ファイルは渡されません)"));
  } else {
    render_->setEnabled(false);
    render_->setToolTip(tr("Chromium が見つからないため使えません。パッケージ %1 "
                           "(または chromium) をインストールしてください")
                            .arg(QString::fromLatin1(kBrowserPackage)));
  }
  addRow(render_);

  robots_ = new QCheckBox(tr("ロボット排除に従う(&X)"), this);
  robots_->setObjectName(QStringLiteral("RobotsChk"));
  robots_->setToolTip(
      tr("各サイトの robots.txt を最初に読み、禁止されたURLは取得しません(除外として"
         "数えます)。Crawl-delay の間隔も守ります"));
  addRow(robots_);

  sameSite_ = new QCheckBox(tr("同じサイトのページだけ読む(&S)"), this);
  sameSite_->setObjectName(QStringLiteral("SameSiteChk"));
  sameSite_->setToolTip(
      tr("開始URLと同じサイト(ドメイン)のページだけからリンク先を得ます。"
         "画像などのファイルはどのサイトからも取得します"));
  addRow(sameSite_);
  allLinks_ = new QCheckBox(tr("すべてのリンクをたどる(&A)"), this);
  allLinks_->setObjectName(QStringLiteral("AllLinksChk"));
  allLinks_->setToolTip(
      tr("レベルを開始ページからのクリック数として、ページのリンクをすべてたどります。"
         "「同じサイトのページだけ読む」なしでは巡回が急に大きくなります"));
  addRow(allLinks_);

  auto* next = new QWidget(this);
  auto* nextLine = new QHBoxLayout(next);
  nextLine->setContentsMargins(0, 0, 0, 0);
  auto* nextCaption = new QLabel(tr("次のページをたどる(&P)"), next);
  nextPages_ = new QSpinBox(next);
  nextPages_->setObjectName(QStringLiteral("NextPagesSpin"));
  nextPages_->setRange(0, kMaxNextPages);
  nextPages_->setValue(0);
  nextPages_->setAccessibleName(tr("次のページをたどる(ページ数)"));
  nextCaption->setBuddy(nextPages_);
  nextLine->addWidget(nextCaption);
  nextLine->addWidget(nextPages_);
  nextLine->addWidget(new QLabel(tr("ページまで (0: たどらない)"), next));
  nextLine->addStretch(1);
  next->setToolTip(
      tr("「次へ」のリンクをレベルを減らさずにたどります。続けてたどるページ数の上限です"));
  addRow(next);

  auto* rulesCaption =
      new QLabel(tr("取得ルール(&R): 1行に1つ、+パターン で取得、-パターン で取得しない"), this);
  addRow(rulesCaption);
  urlRules_ = new QPlainTextEdit(this);
  urlRules_->setObjectName(QStringLiteral("UrlRulesTxt"));
  urlRules_->setAccessibleName(tr("取得ルール"));
  urlRules_->setLineWrapMode(QPlainTextEdit::NoWrap);
  urlRules_->setPlaceholderText(QStringLiteral("-file:*.gif\n+page:*/gallery/*"));
  urlRules_->setToolTip(
      tr("URL全体に * ? [a-z] のパターンを当て、最後に当てはまったルールが決めます。"
         "page: はページだけ、file: はファイルだけに当てます"));
  urlRules_->setMaximumHeight(urlRules_->fontMetrics().lineSpacing() * 5);
  rulesCaption->setBuddy(urlRules_);
  addRow(urlRules_);
  ruleProblem_ = new QLabel(this);
  ruleProblem_->setObjectName(QStringLiteral("UrlRulesProblem"));
  ruleProblem_->setStyleSheet(QStringLiteral("color: #b00020;"));
  addRow(ruleProblem_);
  ruleProblem_->hide();
  connect(urlRules_, &QPlainTextEdit::textChanged, this, [this] { showRuleProblem(); });
}

void CollectSection::showRuleProblem() {
  std::string problem;
  ParseUrlRuleLines(urlRules_->toPlainText().toStdString(), problem);
  ruleProblem_->setText(problem.empty()
                            ? QString()
                            : tr("読めないルールは使いません: ") + QString::fromStdString(problem));
  ruleProblem_->setVisible(!problem.empty());
}

}  // namespace harvel
