#include "main_window/collect_section.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>

#include "common/browser_program.h"

namespace harvel {
namespace {

// The largest side the boxes take; a larger picture is kept by any of them.
constexpr int kLargestSide = 100000;

QSpinBox* SideBox(const char* name, const char* accessibleName, QWidget* parent) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setRange(0, kLargestSide);
  box->setValue(0);
  box->setAccessibleName(QString::fromUtf8(accessibleName));
  return box;
}

}  // namespace

CollectSection::CollectSection(QWidget* parent)
    : SettingsSection("CollectFrame", QStringLiteral("取得"), parent) {
  auto* form = new QWidget(this);
  auto* rows = new QFormLayout(form);
  rows->setContentsMargins(0, 0, 0, 0);

  auto* size = new QWidget(form);
  auto* line = new QHBoxLayout(size);
  line->setContentsMargins(0, 0, 0, 0);
  minPictureWidth_ = SideBox("MinPictureWidthSpin", "最小画像サイズの幅(ピクセル)", size);
  minPictureHeight_ = SideBox("MinPictureHeightSpin", "最小画像サイズの高さ(ピクセル)", size);
  line->addWidget(minPictureWidth_);
  line->addWidget(new QLabel(QStringLiteral("×"), size));
  line->addWidget(minPictureHeight_);
  line->addWidget(new QLabel(QStringLiteral("ピクセル (0 × 0: すべて取得)"), size));
  line->addStretch(1);
  auto* caption = new QLabel(QStringLiteral("最小画像サイズ(&M)"), form);
  caption->setBuddy(minPictureWidth_);
  rows->addRow(caption, size);
  size->setToolTip(
      QStringLiteral("幅か高さがこれより小さい画像は取得しません(画像の先頭から判定)"));
  addRow(form);

  onlyNew_ = new QCheckBox(QStringLiteral("取得済みのファイルは取得しない(&N)"), this);
  onlyNew_->setObjectName(QStringLiteral("OnlyNewChk"));
  onlyNew_->setToolTip(
      QStringLiteral("タイトルのフォルダの .harvel に取得したファイルを記録し、記録にあるファイル"
                     "(削除したものも)はもう取得しません。ページは変わったときだけ読み直します"));
  addRow(onlyNew_);

  render_ = new QCheckBox(QStringLiteral("ブラウザで表示してから読む(&B)"), this);
  render_->setObjectName(QStringLiteral("RenderChk"));
  if (FindBrowserProgram()) {
    render_->setToolTip(QStringLiteral(
        "ページを Chromium で開き、スクリプトの実行後に下までスクロールしてから、表示された"
        "内容と読み込まれた画像を読みます。ブラウザには Cookie・User-Agent・ヘッダ・プロキシ"
        "が渡されます(CA 証明書ファイルは渡されません)"));
  } else {
    render_->setEnabled(false);
    render_->setToolTip(QStringLiteral("Chromium が見つからないため使えません。パッケージ %1 "
                                       "(または chromium) をインストールしてください")
                            .arg(QString::fromLatin1(kBrowserPackage)));
  }
  addRow(render_);
}

}  // namespace harvel
