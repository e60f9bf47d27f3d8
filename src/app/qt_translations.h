#pragma once

#include <QTranslator>

namespace harvel {

// Loads Qt's own Japanese texts (the file dialogs, the standard buttons, the
// questions Qt asks) into `translator` and installs it in the application, so
// that they match the Japanese windows. False when Qt's Japanese translations
// are not installed; the dialogs then stay in English.
bool InstallJapaneseQtTranslations(QTranslator& translator);

}  // namespace harvel
