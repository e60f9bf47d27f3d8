#pragma once

#include <QtGlobal>
#include <cstddef>
#include <iterator>

#include "crawl/option_table.h"

namespace harvel {

// The options panel's caption of each check-box option, in the order of Check;
// translated in the context "MainFrm" when the box is made.
inline constexpr const char* kCheckCaptions[] = {
    QT_TRANSLATE_NOOP("MainFrm", "細かく指定する(カンマ区切り)"),
    QT_TRANSLATE_NOOP("MainFrm", "GIF"),
    QT_TRANSLATE_NOOP("MainFrm", "JPEG"),
    QT_TRANSLATE_NOOP("MainFrm", "PNG"),
    QT_TRANSLATE_NOOP("MainFrm", "HTML"),
    QT_TRANSLATE_NOOP("MainFrm", "メールアドレス"),
    QT_TRANSLATE_NOOP("MainFrm", "その他"),
    QT_TRANSLATE_NOOP("MainFrm", "取得完了後フォルダを開く"),
    QT_TRANSLATE_NOOP("MainFrm", "バイナリファイル以外からリンク先を得る"),
    QT_TRANSLATE_NOOP("MainFrm", "画像ファイルを優先的にダウンロード"),
    QT_TRANSLATE_NOOP("MainFrm", "ファイル名が同じ場合連番をつける(上書きしない)"),
    QT_TRANSLATE_NOOP("MainFrm", "CGI関連のファイルも巡回・取得する"),
    QT_TRANSLATE_NOOP("MainFrm", "以下のURLを含むファイルのみダウンロード"),
    QT_TRANSLATE_NOOP("MainFrm", "ページを詳しく解析する(srcset・CSS・遅延読み込み)"),
};
static_assert(std::size(kCheckCaptions) == kCheckCount, "one caption for every Check");

// The caption of `check` as written in the source (Japanese).
constexpr const char* CheckCaption(Check check) {
  return kCheckCaptions[static_cast<std::size_t>(check)];
}

}  // namespace harvel
