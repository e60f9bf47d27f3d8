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
  // Shows the prepared dialog and gives the chosen name, or nullopt when the
  // user cancelled. The default runs the dialog modally; tests answer it.
  using Runner = std::function<std::optional<QString>(QFileDialog&)>;

  explicit ListFileDialog(QWidget* parent);

  void setRunner(Runner runner) { runner_ = std::move(runner); }

  // Runs the dialog as an open or a save dialog. Returns the chosen name, or an
  // empty text when the user cancelled (the remembered name is then kept for
  // the next dialog).
  QString askOpen() { return ask(QFileDialog::AcceptOpen); }
  QString askSave() { return ask(QFileDialog::AcceptSave); }

  QFileDialog& dialog() { return *dialog_; }
  const QString& fileName() const { return fileName_; }

  static constexpr const char* kDefaultSuffix = "hvl";
  static constexpr const char* kFilter = "Harvelリストファイル(*.hvl)";

 private:
  QString ask(QFileDialog::AcceptMode mode);

  QFileDialog* dialog_;
  Runner runner_;
  QString fileName_;
};

}  // namespace harvel
