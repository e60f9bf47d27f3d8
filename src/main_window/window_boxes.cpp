#include "main_window/window_boxes.h"

#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace harvel {
namespace {

QMessageBox* MakeBox(QWidget* window, QMessageBox::Icon icon, const QString& text,
                     const char* name) {
  auto* box = new QMessageBox(icon, QStringLiteral("Harvel"), text, QMessageBox::NoButton, window);
  box->setObjectName(QString::fromLatin1(name));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::WindowModal);
  return box;
}

void RefocusWhenClosed(QMessageBox* box, QWidget* focusAfter) {
  QPointer<QWidget> target(focusAfter);
  QObject::connect(box, &QDialog::finished, box, [target] {
    if (target)
      target->setFocus(Qt::OtherFocusReason);
  });
}

}  // namespace

void OpenMessageBox(QWidget* window, QWidget* focusAfter, const QString& text) {
  QMessageBox* box = MakeBox(window, QMessageBox::Warning, text, "MessageBox");
  box->setStandardButtons(QMessageBox::Ok);
  RefocusWhenClosed(box, focusAfter);
  box->open();
}

void OpenQuestionBox(QWidget* window, QWidget* focusAfter, const QString& question,
                     std::function<void(bool yes)> answered) {
  QMessageBox* box = MakeBox(window, QMessageBox::Question, question, "QuestionBox");
  box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  box->setDefaultButton(QMessageBox::No);
  RefocusWhenClosed(box, focusAfter);
  QObject::connect(box, &QDialog::finished, box, [answered = std::move(answered)](int result) {
    answered(result == QMessageBox::Yes);
  });
  box->open();
}

void OpenChoiceBox(QWidget* window, QWidget* focusAfter, const QString& question,
                   const QStringList& choices, std::function<void(int choice)> answered) {
  QMessageBox* box = MakeBox(window, QMessageBox::Question, question, "ChoiceBox");
  QList<QAbstractButton*> buttons;
  for (const QString& choice : choices)
    buttons.push_back(box->addButton(choice, QMessageBox::AcceptRole));
  box->addButton(QMessageBox::Cancel);
  if (!buttons.isEmpty())
    box->setDefaultButton(qobject_cast<QPushButton*>(buttons.front()));
  RefocusWhenClosed(box, focusAfter);
  QObject::connect(box, &QDialog::finished, box, [box, buttons, answered = std::move(answered)] {
    answered(static_cast<int>(buttons.indexOf(box->clickedButton())));
  });
  box->open();
}

}  // namespace harvel
