#pragma once

#include <QGroupBox>
#include <QVBoxLayout>

namespace harvel {

// One framed section of the 詳細設定 dialog: its controls stand one row below
// the other. A section without controls stays hidden.
class SettingsSection : public QGroupBox {
 public:
  SettingsSection(const char* name, const QString& caption, QWidget* parent);

  // Adds a control (or a row of controls in a widget of their own) at the
  // bottom, and shows the section.
  void addRow(QWidget* row);

 private:
  QVBoxLayout* rows_;
};

}  // namespace harvel
