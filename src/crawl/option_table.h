#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>

#include "crawl/crawl_options.h"

namespace harvel {

// One check-box option, as both fronts show it.
struct CheckOption {
  Check check;
  const char* name;     // the option's own name, as Check spells it
  bool onByDefault;     // the state it starts in (harvel-cli keeps FolderOpen off unless asked)
  const char* caption;  // the main window's check-box caption (UTF-8)
  const char* cliFlag;  // harvel-cli's --FLAG / --no-FLAG; nullptr: no such switch
  const char* help;     // the --help words for the switch; a '\n' starts a continuation line
};

// Every check-box option, in the order of Check.
inline constexpr CheckOption kCheckOptions[] = {
    {Check::UserSet, "UserSet", false, "細かく指定する(カンマ区切り)", nullptr, nullptr},
    {Check::Gif, "Gif", true, "GIF", "gif", "collect GIF pictures"},
    {Check::Jpeg, "Jpeg", true, "JPEG", "jpeg", "collect JPEG pictures"},
    {Check::Png, "Png", true, "PNG", "png", "collect PNG pictures"},
    {Check::Htm, "Htm", false, "HTML", "html", "keep HTML pages"},
    {Check::Mail, "Mail", false, "メールアドレス", "mail",
     "collect mail addresses into メールアドレス.txt"},
    {Check::Other, "Other", false, "その他", "other", "collect other files"},
    {Check::FolderOpen, "FolderOpen", true, "取得完了後フォルダを開く", nullptr, nullptr},
    {Check::TextGet, "TextGet", true, "バイナリファイル以外からリンク先を得る", "text-links",
     "take links only from files that are not binary"},
    {Check::PicFastDown, "PicFastDown", true, "画像ファイルを優先的にダウンロード",
     "pictures-first", "download pictures first"},
    {Check::Renban, "Renban", false, "ファイル名が同じ場合連番をつける(上書きしない)", "number",
     "number files instead of overwriting them"},
    {Check::CGI, "CGI", true, "CGI関連のファイルも巡回・取得する", "cgi",
     "follow and collect CGI links"},
    {Check::CommonURL, "CommonURL", false, "以下のURLを含むファイルのみダウンロード", nullptr,
     nullptr},
    {Check::ModernPages, "ModernPages", false, "ページを詳しく解析する(srcset・CSS・遅延読み込み)",
     "modern-pages",
     "read pages with an HTML5 parser: srcset, CSS,\nlazy loading, names without queries"},
};

inline constexpr std::size_t kCheckCount = std::size(kCheckOptions);

constexpr bool TableFollowsCheckOrder() {
  for (std::size_t i = 0; i < kCheckCount; ++i) {
    if (static_cast<std::size_t>(kCheckOptions[i].check) != i)
      return false;
  }
  return true;
}
static_assert(TableFollowsCheckOrder(), "kCheckOptions lists every Check once, in order");

constexpr const CheckOption& OptionOf(Check check) {
  return kCheckOptions[static_cast<std::size_t>(check)];
}

// The other options' starting values.
inline constexpr const char* kBuiltInUserSetText = "gif,jpg,jpeg,png";
inline constexpr int kDefaultSpeedLevel = 0;
inline constexpr int kDefaultJobs = 6;  // as many connections to one host as a browser opens
inline constexpr int kMaxJobs = 16;
inline constexpr std::optional<std::int64_t> kDefaultMaxFileSize = std::nullopt;  // no limit
inline constexpr int kDefaultRenderScrolls = 20;  // scroll steps of a rendered page
inline constexpr int kMaxRenderScrolls = 1000;

}  // namespace harvel
