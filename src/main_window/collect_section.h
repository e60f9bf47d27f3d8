#pragma once

#include "main_window/settings_section.h"

namespace harvel {

// 取得: the crawl options that did not fit the main window's options panel.
// Like the panel's, they are read by the crawl at each decision (through
// ControlOptions, which binds these controls), keep their values while the
// dialog is closed, and are not stored between runs.
class CollectSection : public SettingsSection {
 public:
  explicit CollectSection(QWidget* parent);
};

}  // namespace harvel
