#include "main_window/list_file_dialog.h"

#include <QCoreApplication>

namespace harvel {

ListFileDialog::ListFileDialog(QWidget* parent) : dialog_(new QFileDialog(parent)) {
  dialog_->setObjectName(QStringLiteral("CommonDialog1"));
  dialog_->setDefaultSuffix(QString::fromUtf8(kDefaultSuffix));
  dialog_->setNameFilter(QCoreApplication::translate("ListFileDialog", kFilter));
  dialog_->setWindowModality(Qt::WindowModal);
}

void ListFileDialog::ask(QFileDialog::AcceptMode mode, Answer answer) {
  if (dialog_->isVisible())
    return;  // one question at a time: the dialog is already waiting for its answer
  dialog_->setAcceptMode(mode);
  dialog_->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
  dialog_->selectFile(fileName_);
  if (runner_) {
    answerWith(runner_(*dialog_), answer);
    return;
  }
  QObject::connect(
      dialog_, &QDialog::finished, dialog_,
      [this, answer = std::move(answer)](int result) {
        answerWith(result == QDialog::Accepted
                       ? std::optional<QString>(dialog_->selectedFiles().value(0))
                       : std::nullopt,
                   answer);
      },
      Qt::SingleShotConnection);
  dialog_->open();
}

void ListFileDialog::answerWith(const std::optional<QString>& chosen, const Answer& answer) {
  if (!chosen || chosen->isEmpty()) {
    answer(QString());
    return;
  }
  fileName_ = *chosen;
  answer(fileName_);
}

}  // namespace harvel
