#include "main_window/file_field.h"

#include <QFileInfo>
#include <QHBoxLayout>

namespace harvel {

FileField::FileField(const char* name, const QString& buttonCaption, const QString& dialogTitle,
                     const QString& filter, QWidget* parent)
    : QWidget(parent),
      edit_(new QLineEdit(this)),
      button_(new QPushButton(buttonCaption, this)),
      dialog_(new QFileDialog(this, dialogTitle)) {
  QString objectName = QString::fromLatin1(name);
  edit_->setObjectName(objectName);
  objectName.replace(QStringLiteral("Txt"), QStringLiteral("Btn"));
  button_->setObjectName(objectName);
  dialog_->setAcceptMode(QFileDialog::AcceptOpen);
  dialog_->setFileMode(QFileDialog::ExistingFile);
  dialog_->setNameFilter(filter);
  dialog_->setWindowModality(Qt::WindowModal);

  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(edit_, 1);
  row->addWidget(button_);
  connect(button_, &QPushButton::clicked, this, &FileField::browse);
}

void FileField::browse() {
  if (!text().isEmpty()) {
    const QFileInfo current(text());
    dialog_->setDirectory(current.absolutePath());
    dialog_->selectFile(current.fileName());
  }
  if (runner_) {
    take(runner_(*dialog_));
    return;
  }
  if (dialog_->isVisible())
    return;
  connect(
      dialog_, &QDialog::finished, this,
      [this](int result) {
        take(result == QDialog::Accepted ? std::optional<QString>(dialog_->selectedFiles().value(0))
                                         : std::nullopt);
      },
      Qt::SingleShotConnection);
  dialog_->open();
}

void FileField::take(const std::optional<QString>& chosen) {
  if (chosen && !chosen->isEmpty())
    edit_->setText(*chosen);
  edit_->setFocus(Qt::OtherFocusReason);
}

}  // namespace harvel
