#include "main_window/settings_section.h"

namespace harvel {

SettingsSection::SettingsSection(const char* name, const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent), rows_(new QVBoxLayout(this)) {
  setObjectName(QString::fromLatin1(name));
  setVisible(false);
}

void SettingsSection::addRow(QWidget* row) {
  rows_->addWidget(row);
  setVisible(true);
}

}  // namespace harvel
