#pragma once

#include <QCoreApplication>
#include <QDialog>

#include "main_window/collect_section.h"
#include "main_window/connection_section.h"
#include "main_window/display_section.h"
#include "main_window/kept_settings.h"

namespace harvel {

// 詳細設定: the settings beyond the main window's options panel, in sections:
// 取得 (crawl options, read live by the crawl and not stored), 表示 and 接続
// (kept between runs). The main window makes it once and keeps it for the
// whole run, so its controls keep their values between openings and the crawl
// can read them while it is closed. It does not block: a crawl goes on while
// it is open, and each change counts at once.
class SettingsDialog : public QDialog {
  Q_DECLARE_TR_FUNCTIONS(SettingsDialog)

 public:
  SettingsDialog(KeptSettings kept, QWidget* parent);

  CollectSection& collect() { return *collect_; }
  DisplaySection& display() { return *display_; }
  ConnectionSection& connection() { return *connection_; }
  ConnectionSettings connectionSettings() const { return connection_->settings(); }

 private:
  CollectSection* collect_;
  DisplaySection* display_;
  ConnectionSection* connection_;
};

}  // namespace harvel
