#include "main_window/settings_dialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "widgets/window_font.h"

namespace harvel {

SettingsDialog::SettingsDialog(KeptSettings kept, QWidget* parent)
    : QDialog(parent),
      collect_(new CollectSection(this)),
      display_(new DisplaySection(kept, this)),
      connection_(new ConnectionSection(kept, this)) {
  setObjectName(QStringLiteral("SettingsDialog"));
  setWindowTitle(tr("詳細設定"));
  setFont(WindowFont(font()));
  setModal(false);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* close = buttons->addButton(tr("閉じる"), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("CloseBtn"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(collect_);
  layout->addWidget(display_);
  layout->addWidget(connection_);
  layout->addStretch(1);
  layout->addWidget(buttons);
  resize(520, sizeHint().height());
}

}  // namespace harvel
