#pragma once

#include <QSettings>
#include <QString>
#include <QVariant>

namespace harvel {

// The settings kept between runs of the desktop program: `harvel.conf` (an INI
// file) in the user's configuration folder, ~/.config/harvel/ (or
// $XDG_CONFIG_HOME/harvel/). Only what the user sets once lives here, under
// the dialog's section names ("connection/proxy", "display/..."); the crawl
// options are never stored. Writes are gathered and reach the file by the end
// of the run at the latest.
class SettingsStore {
 public:
  // `folder`: where harvel.conf lives; tests give their own.
  explicit SettingsStore(const QString& folder = DefaultFolder());

  static QString DefaultFolder();

  QVariant value(const QString& key, const QVariant& fallback = {}) const;
  void setValue(const QString& key, const QVariant& value);
  // Writes what was set to the file now.
  void sync() { settings_.sync(); }
  QString fileName() const { return settings_.fileName(); }

 private:
  QSettings settings_;
};

}  // namespace harvel
