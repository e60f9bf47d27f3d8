#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

namespace harvel {

// Message boxes over a window that never wait: each is window-modal, opened
// with open() and answered through its signals, so the event loop (and a
// crawl running inside it) goes on while it is shown. When it closes, the
// focus goes back to `focusAfter`. The box deletes itself.

void OpenMessageBox(QWidget* window, QWidget* focusAfter, const QString& text);

// `answered(true)` for はい, false for いいえ or a closed box.
void OpenQuestionBox(QWidget* window, QWidget* focusAfter, const QString& question,
                     std::function<void(bool yes)> answered);

// One button for each of `choices` and キャンセル; `answered` gets the index of
// the choice, or -1 for キャンセル or a closed box.
void OpenChoiceBox(QWidget* window, QWidget* focusAfter, const QString& question,
                   const QStringList& choices, std::function<void(int choice)> answered);

}  // namespace harvel
