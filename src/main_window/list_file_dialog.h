#pragma once

#include <QFileDialog>
#include <functional>
#include <optional>

namespace harvel {

// CommonDialog1: the one file dialog of the main window, used for opening and
// saving list files. It remembers the name chosen last, which is where the next
// open or save starts.
class ListFileDialog {
 public:
  // Answers the prepared dialog at once with the chosen name, or nullopt when
  // the user cancelled: tests answer it so. Without one the dialog is opened
  // window-modal and answered when the user closes it, the event loop (and a
  // crawl) going on meanwhile.
  using Runner = std::function<std::optional<QString>(QFileDialog&)>;
  // Gets the chosen name, or an empty text when the user cancelled.
  using Answer = std::function<void(const QString& name)>;

  explicit ListFileDialog(QWidget* parent);

  void setRunner(Runner runner) { runner_ = std::move(runner); }

  // Shows the dialog as an open or a save dialog; `answer` gets the chosen
  // name, or an empty text when the user cancelled (the remembered name is then
  // kept for the next dialog).
  void askOpen(Answer answer) { ask(QFileDialog::AcceptOpen, std::move(answer)); }
  void askSave(Answer answer) { ask(QFileDialog::AcceptSave, std::move(answer)); }

  QFileDialog& dialog() { return *dialog_; }
  const QString& fileName() const { return fileName_; }

  static constexpr const char* kDefaultSuffix = "hvl";
  static constexpr const char* kFilter =
      QT_TRANSLATE_NOOP("ListFileDialog", "Harvelリストファイル(*.hvl)");

 private:
  void ask(QFileDialog::AcceptMode mode, Answer answer);
  void answerWith(const std::optional<QString>& chosen, const Answer& answer);

  QFileDialog* dialog_;
  Runner runner_;
  QString fileName_;
};

}  // namespace harvel
