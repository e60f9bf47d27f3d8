#include "main_window/display_section.h"

namespace harvel {
namespace {

const QString kThumbnailsKey = QStringLiteral("display/thumbnails");

}  // namespace

DisplaySection::DisplaySection(KeptSettings kept, QWidget* parent)
    : SettingsSection("DisplayFrame", tr("表示"), parent),
      kept_(std::move(kept)),
      thumbnails_(new QCheckBox(tr("サムネイルを表示(&T)"), this)) {
  thumbnails_->setObjectName(QStringLiteral("ThumbnailsChk"));
  thumbnails_->setToolTip(tr("巡回ウィンドウの一覧の下に、取得した画像を新しい順に小さく並べます"));
  thumbnails_->setChecked(kept_.value(kThumbnailsKey).toBool());
  addRow(thumbnails_);
  connect(thumbnails_, &QCheckBox::toggled, this, [this](bool shown) {
    kept_.setValue(kThumbnailsKey, shown);
    if (thumbnailsWatcher_)
      thumbnailsWatcher_(shown);
  });
}

void DisplaySection::watchThumbnails(std::function<void(bool shown)> watcher) {
  thumbnailsWatcher_ = std::move(watcher);
  if (thumbnailsWatcher_)
    thumbnailsWatcher_(thumbnails_->isChecked());
}

}  // namespace harvel
