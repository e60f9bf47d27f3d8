#pragma once

#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <optional>

namespace harvel {

// A file name box with a browse button beside it. The button opens a file
// dialog for an existing file, starting at the name in the box; the chosen
// name replaces it, a cancelled dialog leaves it.
class FileField : public QWidget {
 public:
  // Answers the prepared dialog at once with the chosen name, or nullopt when
  // the user cancelled: tests answer it so. Without one the dialog is opened
  // window-modal and answered when it closes; nothing waits for it.
  using Runner = std::function<std::optional<QString>(QFileDialog&)>;

  // `name`: the object name of the box; the button is named with "Btn" in
  // place of its "Txt".
  FileField(const char* name, const QString& buttonCaption, const QString& dialogTitle,
            const QString& filter, QWidget* parent);

  void setRunner(Runner runner) { runner_ = std::move(runner); }
  void browse();
  QFileDialog* dialog() const { return dialog_; }

  QLineEdit* edit() const { return edit_; }
  QPushButton* button() const { return button_; }
  QString text() const { return edit_->text().trimmed(); }

 private:
  QLineEdit* edit_;
  QPushButton* button_;
  QFileDialog* dialog_;
  Runner runner_;
  void take(const std::optional<QString>& chosen);
};

}  // namespace harvel
