#include "main_window/list_file_dialog.h"

namespace harvel {

ListFileDialog::ListFileDialog(QWidget* parent) : dialog_(new QFileDialog(parent)) {
  dialog_->setObjectName(QStringLiteral("CommonDialog1"));
  dialog_->setDefaultSuffix(QString::fromUtf8(kDefaultSuffix));
  dialog_->setNameFilter(QString::fromUtf8(kFilter));
  runner_ = [](QFileDialog& dialog) -> std::optional<QString> {
    if (dialog.exec() != QDialog::Accepted)
      return std::nullopt;
    return dialog.selectedFiles().value(0);
  };
}

QString ListFileDialog::ask(QFileDialog::AcceptMode mode) {
  dialog_->setAcceptMode(mode);
  dialog_->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
  dialog_->selectFile(fileName_);
  const std::optional<QString> chosen = runner_(*dialog_);
  if (!chosen || chosen->isEmpty())
    return {};
  fileName_ = *chosen;
  return fileName_;
}

}  // namespace harvel
