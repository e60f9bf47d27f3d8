#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <string>

#include "common/crawl_target.h"
#include "crawl/crawl_session.h"
#include "main_window/kept_settings.h"

namespace harvel {

// How a crawl start ended, as the main window needs to know it.
struct CrawlStartResult {
  CrawlOutcome outcome = CrawlOutcome::Completed;
  std::string errorText;  // the message for a refused title or a downloader out of reach
  // Set when the 詳細設定 dialog's connection settings cannot be used: why.
  // Nothing was crawled then.
  std::string settingsError = {};
};

// What the main window asks of the rest of the program. The program wires these
// to the crawl window, the downloader channel and the desktop; tests answer them.
struct MainFrmServices {
  // Form_Load: find VeskDownloader, or start it. False with a reason when it
  // cannot be reached.
  std::function<bool(QString* error)> findOrStartDownloader;
  // Crawl start for one row: the crawl window's start, which returns when the
  // crawl is over (or at once when a crawl runs already). A new crawl starts
  // with the 詳細設定 dialog's connection settings.
  std::function<CrawlStartResult(const CrawlTarget& row)> startCrawl;
  // Form_Unload, in this order: close the crawl window, tell the downloader to
  // close, end the program.
  std::function<void()> closeCrawlWindow;
  std::function<void()> closeDownloader;
  std::function<void()> endProgram;
  // Opens a web page in the user's browser; failures are ignored.
  std::function<void(const QUrl& page)> openUrl;
  // Tells the user something went wrong (a message box by default).
  std::function<void(const QString& text)> showMessage;
  // Asks a yes-or-no question (a message box by default); true for yes.
  std::function<bool(const QString& question)> confirm;
  // Removes the record of what the title's folder collected (the only-new
  // option), touching no file; what to tell the user, or "" for nothing.
  std::function<QString(const std::string& title)> forgetRecord;
  // The settings kept between runs (the 詳細設定 dialog's 表示 and 接続).
  KeptSettings keptSettings;
};

}  // namespace harvel
