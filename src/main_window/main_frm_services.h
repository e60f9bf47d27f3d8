#pragma once

#include <QString>
#include <QStringList>
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
  // Tells the user something went wrong (by default a box over the main window
  // that blocks neither the window's event loop nor a crawl).
  std::function<void(const QString& text)> showMessage;
  // Asks a yes-or-no question (by default such a box); `answered` is called,
  // now or later, with true for yes.
  std::function<void(const QString& question, std::function<void(bool yes)> answered)> confirm;
  // Asks which of `choices` (the buttons' captions) to take; `answered` gets
  // the index of the one chosen, or -1 when the question was cancelled.
  std::function<void(const QString& question, const QStringList& choices,
                     std::function<void(int choice)> answered)>
      choose;
  // Removes the record of what the title's folder collected (the only-new
  // option), touching no file; what to tell the user, or "" for nothing.
  std::function<QString(const std::string& title)> forgetRecord;
  // Opens the folder of the title's files in the file manager; false when it
  // cannot be opened (not there, or no file manager answered), with its path.
  std::function<bool(const std::string& title, QString* folder)> openCrawlFolder;
  // The settings kept between runs (the 詳細設定 dialog's 表示 and 接続).
  KeptSettings keptSettings;
  // Where the collection list is kept between runs (UTF-8); empty: it is not.
  std::string keptListFolder;
};

}  // namespace harvel
