#pragma once

#include <QString>
#include <QStringList>
#include <QTranslator>
#include <functional>

namespace harvel {

// The language of the windows: Japanese, the program's own (its texts are
// written in it), or English.
enum class WindowLanguage { Japanese, English };

// The language for an environment, `variable` giving a variable's value (empty
// when unset). HARVEL_LANGUAGE ("ja", "en") decides when set. Otherwise the
// locale of messages (the first of LC_ALL, LC_MESSAGES, LANG that is set)
// decides: none, C or POSIX give Japanese; under any other locale the first
// entry of LANGUAGE (a list such as "en_GB:ja") decides when it is set, else the
// locale itself. Japanese for a name starting with "ja", English otherwise.
WindowLanguage ChooseWindowLanguage(const std::function<QString(const char*)>& variable);
WindowLanguage WindowLanguageOfEnvironment();

// Where the windows' translations (harvel_en.qm) are looked for, in this
// order: "translations" beside the program (a build tree, a portable copy),
// then "../share/harvel/translations" from it (an installed program, also
// when moved), then the share folder of the prefix the build was made for.
QStringList TranslationFolders(const QString& programFolder);

// The texts of one language installed in the application for as long as this
// lives: Harvel's own (for English) and Qt's (its dialogs and standard
// buttons; for Japanese, qtbase_ja from Qt's translations folder, without
// which they stay in English). Made before any window, which takes its texts
// when it is built.
class WindowTexts {
 public:
  WindowTexts(WindowLanguage language, const QStringList& folders);
  ~WindowTexts();
  WindowTexts(const WindowTexts&) = delete;
  WindowTexts& operator=(const WindowTexts&) = delete;

  // False when the language's translation was not found: the windows then
  // speak Japanese.
  bool loaded() const { return loaded_; }

 private:
  QTranslator own_;
  QTranslator qt_;
  bool loaded_ = false;
};

}  // namespace harvel
