#include "app/window_language.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>

namespace harvel {
namespace {

WindowLanguage LanguageOfName(const QString& name) {
  return name.startsWith(QLatin1String("ja")) ? WindowLanguage::Japanese : WindowLanguage::English;
}

bool IsPlainLocale(const QString& locale) {
  return locale.isEmpty() || locale == QLatin1String("C") ||
         locale.startsWith(QLatin1String("C.")) || locale == QLatin1String("POSIX");
}

}  // namespace

WindowLanguage ChooseWindowLanguage(const std::function<QString(const char*)>& variable) {
  const QString chosen = variable("HARVEL_LANGUAGE");
  if (!chosen.isEmpty())
    return LanguageOfName(chosen);
  QString locale;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    locale = variable(name);
    if (!locale.isEmpty())
      break;
  }
  if (IsPlainLocale(locale))
    return WindowLanguage::Japanese;
  const QString first = variable("LANGUAGE").section(QLatin1Char(':'), 0, 0);
  return LanguageOfName(first.isEmpty() ? locale : first);
}

WindowLanguage WindowLanguageOfEnvironment() {
  return ChooseWindowLanguage([](const char* name) { return qEnvironmentVariable(name); });
}

QStringList TranslationFolders(const QString& programFolder) {
  const QDir program(programFolder);
  return {QDir::cleanPath(program.filePath(QStringLiteral("translations"))),
          QDir::cleanPath(program.filePath(QStringLiteral("../share/harvel/translations"))),
          QStringLiteral(HARVEL_INSTALLED_TRANSLATIONS)};
}

WindowTexts::WindowTexts(WindowLanguage language, const QStringList& folders) {
  if (language == WindowLanguage::Japanese) {
    // Harvel's texts are Japanese already; only Qt's own dialogs need theirs.
    if (qt_.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                 QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
      QCoreApplication::installTranslator(&qt_);
    }
    loaded_ = true;
    return;
  }
  for (const QString& folder : folders) {
    if (own_.load(QStringLiteral("harvel_en"), folder)) {
      loaded_ = QCoreApplication::installTranslator(&own_);
      break;
    }
  }
}

WindowTexts::~WindowTexts() {
  QCoreApplication::removeTranslator(&own_);
  QCoreApplication::removeTranslator(&qt_);
}

}  // namespace harvel
