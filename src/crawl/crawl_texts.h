#pragma once

namespace harvel {

// The text shown in a crawl window's caption for each stage.
inline constexpr const char* kCaptionCrawling = "巡回中・・・";
inline constexpr const char* kCaptionCompleted =
    "ダウンロードが完了しました(2秒後に自動で閉じます)";
inline constexpr const char* kCaptionClosing = "スレッドを終了しています...";
// The file in a title's folder that mail addresses are appended to.
inline constexpr const char* kMailFileName = "メールアドレス.txt";

}  // namespace harvel
