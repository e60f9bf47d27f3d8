#include "main_window/collect_section.h"

namespace harvel {

CollectSection::CollectSection(QWidget* parent)
    : SettingsSection("CollectFrame", QStringLiteral("取得"), parent),
      onlyNew_(new QCheckBox(QStringLiteral("取得済みのファイルは取得しない(&N)"), this)) {
  onlyNew_->setObjectName(QStringLiteral("OnlyNewChk"));
  onlyNew_->setToolTip(
      QStringLiteral("タイトルのフォルダの .harvel に取得したファイルを記録し、記録にあるファイル"
                     "(削除したものも)はもう取得しません。ページは変わったときだけ読み直します"));
  addRow(onlyNew_);
}

}  // namespace harvel
