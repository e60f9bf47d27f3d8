#include "widgets/engine_text.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <vector>

namespace harvel {
namespace {

// Each as the engine writes it (src/crawl: crawl_texts.h, crawl_driver.cpp,
// record_status_text.cpp, crawl_session.cpp).
constexpr const char* kEngineTexts[] = {
    QT_TRANSLATE_NOOP("EngineText", "巡回中・・・"),
    QT_TRANSLATE_NOOP("EngineText", "ダウンロードが完了しました(2秒後に自動で閉じます)"),
    QT_TRANSLATE_NOOP("EngineText", "スレッドを終了しています..."),
    QT_TRANSLATE_NOOP("EngineText", "ダウンロード中..."),
    QT_TRANSLATE_NOOP("EngineText", "ブラウザで表示中..."),
    QT_TRANSLATE_NOOP("EngineText", "処理中...(ブラウザで表示中)"),
    QT_TRANSLATE_NOOP("EngineText", "処理中...(ブラウザで表示: %1 秒)"),
    QT_TRANSLATE_NOOP("EngineText", "処理中..."),
    QT_TRANSLATE_NOOP("EngineText", "ダウンロード総数:%1 (残りの数：%2 )"),
    QT_TRANSLATE_NOOP("EngineText",
                      "Harvelのものでない取得記録を %1 に移し、新しい取得記録を始めました"),
    QT_TRANSLATE_NOOP("EngineText", "壊れた取得記録を %1 に移し、新しい取得記録を始めました"),
    QT_TRANSLATE_NOOP("EngineText",
                      "取得記録は新しいHarvelで書かれているため使えません。取得を中止しました(%1)"),
    QT_TRANSLATE_NOOP("EngineText", "取得記録を使えないため、取得を中止しました(%1)"),
    QT_TRANSLATE_NOOP("EngineText",
                      "「%1」はフォルダの名前に使えないため、巡回を始めませんでした。\n"
                      "空でも「.」「..」でもなく、「/」「\\」や制御文字を含まないタイトルにしてくだ"
                      "さい。"),
};

struct KnownText {
  const char* source;
  QRegularExpression pattern;  // the source with each %N as a group
};

const std::vector<KnownText>& KnownTexts() {
  static const std::vector<KnownText> known = [] {
    std::vector<KnownText> texts;
    static const QRegularExpression placeholder(QStringLiteral(R"(\\%\d)"));
    for (const char* source : kEngineTexts) {
      QString pattern = QRegularExpression::escape(QString::fromUtf8(source));
      pattern.replace(placeholder, QStringLiteral("(.*)"));
      texts.push_back({source, QRegularExpression(QLatin1Char('^') + pattern + QLatin1Char('$'),
                                                  QRegularExpression::DotMatchesEverythingOption)});
    }
    return texts;
  }();
  return known;
}

}  // namespace

QString EngineText(const std::string& text) {
  const QString shown = QString::fromStdString(text);
  for (const KnownText& known : KnownTexts()) {
    const QRegularExpressionMatch match = known.pattern.match(shown);
    if (!match.hasMatch())
      continue;
    const QString translated = QCoreApplication::translate("EngineText", known.source);
    // One pass over the placeholders, so that a "%2" in what varies stays as it is.
    return match.lastCapturedIndex() == 2   ? translated.arg(match.captured(1), match.captured(2))
           : match.lastCapturedIndex() == 1 ? translated.arg(match.captured(1))
                                            : translated;
  }
  return shown;
}

}  // namespace harvel
