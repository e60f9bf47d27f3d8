#include "widgets/record_line.h"

#include <QCoreApplication>
#include <string_view>

namespace harvel {
namespace {

QString Tr(const char* text) {
  return QCoreApplication::translate("RecordLine", text);
}

// A reason's code, the words the downloader (or the crawl) puts first in its
// text, and the windows' words for it.
struct Reason {
  std::string_view code;
  std::string_view english;
  const char* words;
};

constexpr Reason kReasons[] = {
    {"timeout", "timed out", QT_TRANSLATE_NOOP("RecordLine", "時間切れ")},
    {"connection-refused", "connection refused",
     QT_TRANSLATE_NOOP("RecordLine", "接続を拒否されました")},
    {"connection-reset", "connection reset", QT_TRANSLATE_NOOP("RecordLine", "接続が切れました")},
    {"cut-off", "cut off", QT_TRANSLATE_NOOP("RecordLine", "途中で切れました")},
    {"name-lookup", "host not found", QT_TRANSLATE_NOOP("RecordLine", "ホストが見つかりません")},
    {"certificate", "certificate refused",
     QT_TRANSLATE_NOOP("RecordLine", "証明書を受け入れられません")},
    {"disk-full", "disk full", QT_TRANSLATE_NOOP("RecordLine", "ディスクがいっぱいです")},
    {"name-too-long", "name too long", QT_TRANSLATE_NOOP("RecordLine", "ファイル名が長すぎます")},
    {"unwritable", "cannot write", QT_TRANSLATE_NOOP("RecordLine", "書き込めません")},
    {"refused-scheme", "refused scheme",
     QT_TRANSLATE_NOOP("RecordLine", "取得できないスキームです")},
    {"too-large", "too large", QT_TRANSLATE_NOOP("RecordLine", "大きすぎます")},
    {"too-slow", "too slow", QT_TRANSLATE_NOOP("RecordLine", "遅すぎます")},
    {"bad-request", "bad request", QT_TRANSLATE_NOOP("RecordLine", "不正な要求です")},
    {"render-failed", "not rendered", QT_TRANSLATE_NOOP("RecordLine", "ブラウザで表示できません")},
    {"no-browser", "no browser", QT_TRANSLATE_NOOP("RecordLine", "ブラウザがありません")},
    {"too-long", "", QT_TRANSLATE_NOOP("RecordLine", "リンクが長すぎます")},
    {"folder", "", QT_TRANSLATE_NOOP("RecordLine", "フォルダを作れません")},
    {"mail-file", "", QT_TRANSLATE_NOOP("RecordLine", "メールアドレスを書き込めません")},
};

bool IsStatusReason(const DownloadOutcome& outcome) {
  return outcome.reason == "http-status" && outcome.httpStatus > 0;
}

}  // namespace

QString ReasonLine(const DownloadOutcome& outcome) {
  if (IsStatusReason(outcome))
    return QStringLiteral("HTTP %1").arg(outcome.httpStatus);
  const std::string_view text = outcome.reasonText;
  for (const Reason& reason : kReasons) {
    if (outcome.reason != reason.code)
      continue;
    // "timed out: Connection timed out after 5001 milliseconds": the detail is kept.
    if (!reason.english.empty() && text.size() > reason.english.size() + 2 &&
        text.substr(0, reason.english.size()) == reason.english &&
        text.substr(reason.english.size(), 2) == ": ") {
      return Tr(reason.words) + QStringLiteral(": ") +
             QString::fromUtf8(text.substr(reason.english.size() + 2));
    }
    return Tr(reason.words);
  }
  if (!text.empty())
    return QString::fromStdString(outcome.reasonText);
  return outcome.reason.empty() ? Tr(QT_TRANSLATE_NOOP("RecordLine", "不明"))
                                : QString::fromStdString(outcome.reason);
}

QString RecordLine(const std::string& url, const std::string& path,
                   const DownloadOutcome& outcome) {
  QString line = QString::fromStdString(url) + QStringLiteral(" -> ") +
                 QString::fromStdString(path) + QStringLiteral(": ");
  if (outcome.tooSmall) {
    line += Tr(QT_TRANSLATE_NOOP("RecordLine", "小さい画像 (%1)"))
                .arg(QString::fromStdString(PictureSizeText(*outcome.tooSmall)));
  } else if (outcome.robotsExcluded) {
    line += Tr(QT_TRANSLATE_NOOP("RecordLine", "除外 (%1)"))
                .arg(QString::fromStdString(outcome.reasonText));
  } else if (outcome.landed) {
    line += Tr(QT_TRANSLATE_NOOP("RecordLine", "取得"));
  } else if (outcome.alreadyCollected) {
    line += Tr(QT_TRANSLATE_NOOP("RecordLine", "取得済み"));
  } else if (outcome.notModified) {
    line += Tr(QT_TRANSLATE_NOOP("RecordLine", "変更なし"));
  } else {
    line += Tr(QT_TRANSLATE_NOOP("RecordLine", "失敗 (%1)")).arg(ReasonLine(outcome));
  }
  if (outcome.rendered) {
    line += Tr(QT_TRANSLATE_NOOP("RecordLine", " (ブラウザで表示、読み込んだ画像 %1)"))
                .arg(outcome.pictures.size());
  }
  if (!(outcome.failed() && IsStatusReason(outcome))) {
    line += outcome.httpStatus > 0 ? QStringLiteral(", HTTP %1").arg(outcome.httpStatus)
                                   : QStringLiteral(", HTTP -");
  }
  line += Tr(QT_TRANSLATE_NOOP("RecordLine", ", %1 バイト")).arg(outcome.bytes);
  line += Tr(QT_TRANSLATE_NOOP("RecordLine", ", %1 秒"))
              .arg(QStringLiteral("%1.%2")
                       .arg(outcome.elapsedMs / 1000)
                       .arg(outcome.elapsedMs % 1000, 3, 10, QLatin1Char('0')));
  return line;
}

}  // namespace harvel
