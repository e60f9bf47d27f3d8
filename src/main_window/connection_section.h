#pragma once

#include <QCheckBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>

#include "common/connection_settings.h"
#include "main_window/file_field.h"
#include "main_window/kept_settings.h"
#include "main_window/settings_section.h"

namespace harvel {

// 接続: how the downloader reaches sites. A cookies file, the User-Agent,
// extra headers (one "Name: value" a line), the proxy and a CA file; how each
// host is treated (the most downloads at once from it, 0 for the crawl's
// jobs; the seconds between two requests to it, spread or not). They are
// kept between runs as they are typed, under "connection/", all but the
// proxy's password and the headers that carry a login, which last for the run
// only; a crawl takes them when it starts.
class ConnectionSection : public SettingsSection {
  Q_DECLARE_TR_FUNCTIONS(ConnectionSection)

 public:
  ConnectionSection(KeptSettings kept, QWidget* parent);

  // The settings as typed (the password and login headers included).
  ConnectionSettings settings() const;

  FileField* cookiesFile() const { return cookiesFile_; }
  FileField* caCertificate() const { return caCertificate_; }

 protected:
  // The cookies file's rights may have changed since the dialog was open last.
  void showEvent(QShowEvent* event) override;

 private:
  void load();
  void keep() const;
  void showCookiesWarning();

  KeptSettings kept_;
  FileField* cookiesFile_;
  QLabel* cookiesWarning_;
  QLineEdit* userAgent_;
  QPlainTextEdit* headers_;
  QLineEdit* proxy_;
  FileField* caCertificate_;
  QSpinBox* hostJobs_;
  QDoubleSpinBox* wait_;
  QCheckBox* randomWait_;
};

}  // namespace harvel
