#pragma once

#include <QCheckBox>
#include <QCoreApplication>
#include <functional>

#include "main_window/kept_settings.h"
#include "main_window/settings_section.h"

namespace harvel {

// 表示: how the windows show things. Kept between runs under "display/".
class DisplaySection : public SettingsSection {
  Q_DECLARE_TR_FUNCTIONS(DisplaySection)

 public:
  DisplaySection(KeptSettings kept, QWidget* parent);

  // サムネイルを表示 (off at first): the crawl window's strip of the latest
  // pictures. `watcher` is told the setting now and at every change.
  bool thumbnailsShown() const { return thumbnails_->isChecked(); }
  void watchThumbnails(std::function<void(bool shown)> watcher);

 private:
  KeptSettings kept_;
  QCheckBox* thumbnails_;
  std::function<void(bool)> thumbnailsWatcher_;
};

}  // namespace harvel
