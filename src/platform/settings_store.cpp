#include "platform/settings_store.h"

#include <QDir>
#include <QStandardPaths>

namespace harvel {

SettingsStore::SettingsStore(const QString& folder)
    : settings_(QDir(folder).filePath(QStringLiteral("harvel.conf")), QSettings::IniFormat) {}

QString SettingsStore::DefaultFolder() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
      .filePath(QStringLiteral("harvel"));
}

QVariant SettingsStore::value(const QString& key, const QVariant& fallback) const {
  return settings_.value(key, fallback);
}

void SettingsStore::setValue(const QString& key, const QVariant& value) {
  settings_.setValue(key, value);
}

}  // namespace harvel
