#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/picture_size.h"

namespace harvel {

class UrlRules;

inline constexpr int kMaxNextPages = 10000;  // next-page links followed in one chain

// The check boxes of the main window that steer a crawl.
enum class Check {
  UserSet,      // 細かく指定する(カンマ区切り): the suffix list decides
  Gif,          // GIF
  Jpeg,         // JPEG
  Png,          // PNG
  Htm,          // HTML
  Mail,         // メールアドレス
  Other,        // その他
  FolderOpen,   // 取得完了後フォルダを開く
  TextGet,      // バイナリファイル以外からリンク先を得る
  PicFastDown,  // 画像ファイルを優先的にダウンロード
  Renban,       // ファイル名が同じ場合連番をつける(上書きしない)
  CGI,          // CGI関連のファイルも巡回・取得する
  CommonURL,    // 以下のURLを含むファイルのみダウンロード
  ModernPages,  // ページを詳しく解析する(srcset・CSS・遅延読み込み): see docs/modern-pages.md
};

// A live view of the option controls. The engine asks at every decision and
// never keeps an answer, so a change made during a crawl counts from the next
// decision on.
class CrawlOptions {
 public:
  virtual ~CrawlOptions() = default;

  // The value the check box holds: 0 or 1 (other values count as off).
  virtual int value(Check check) const = 0;
  bool on(Check check) const { return value(check) == 1; }

  virtual std::string userSetText() const = 0;    // UserSetTxt, the suffix list
  virtual std::string commonUrlText() const = 0;  // CommonURLTxt, the URL filter
  virtual int speedLevel() const = 0;             // SpeedLevel, 0 (fast) to 5 (slow)
  // 同時ダウンロード数: how many files may be fetched at once at speed level 0
  // (1 to 16). 1 asks for one file at a time.
  virtual int jobs() const { return 1; }
  // The largest file the downloader is to keep, in bytes; nullopt: no limit.
  virtual std::optional<std::int64_t> maxFileSize() const { return std::nullopt; }
  // 取得済みのファイルは取得しない: the crawl keeps a record in each title's
  // folder and asks for nothing that it says was collected (CollectedFiles).
  virtual bool onlyNew() const { return false; }
  // 最小画像サイズ: pictures smaller than this are left out, judged by the
  // downloader from their headers; 0 × 0 keeps every picture.
  virtual PictureSize minimumPicture() const { return {}; }
  // ブラウザで表示してから読む: 0 (off), or the most steps a page read for
  // links is scrolled down in the browser before it is read (docs/rendering.md).
  virtual int renderScrolls() const { return 0; }
  // ロボット排除に従う: each site's robots.txt is read before its first
  // request, and a URL it refuses is neither fetched nor failed (docs/cli.md).
  virtual bool robots() const { return false; }

  // What a crawl reaches, each off unless asked for (docs/cli.md, "What a crawl reaches").
  // 同じサイトのページだけ読む: a page is read for links only on the start URL's
  // site (its registrable domain); pictures and other files come from any host.
  virtual bool sameSite() const { return false; }
  // すべてのリンクをたどる: every page link of a page of level N is queued with
  // level N − 1, instead of at most N of them.
  virtual bool allLinks() const { return false; }
  // 次のページをたどる: a page's next-page link is followed with the page's own
  // level, up to this many pages in a chain; 0 follows none.
  virtual int nextPages() const { return 0; }
  // The accept and reject rules, in order; nullptr: none.
  virtual std::shared_ptr<const UrlRules> urlRules() const { return nullptr; }
};

}  // namespace harvel
