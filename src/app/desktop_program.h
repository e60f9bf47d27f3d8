#pragma once

#include <QCoreApplication>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "app/window_language.h"
#include "crawl/crawl_observer_list.h"
#include "crawl/crawl_session.h"
#include "crawl/shell.h"
#include "crawl_window/search_frm.h"
#include "main_window/main_frm.h"
#include "platform/downloader_channel.h"
#include "platform/qt_event_pump.h"
#include "platform/qt_shell.h"
#include "platform/settings_store.h"
#include "record/recorded_folders.h"

namespace harvel {

// What may be replaced in the desktop program, for tests and tools; empty members keep the
// defaults.
struct DesktopOverrides {
  std::string programFolder;                        // where VeskDownloader is; empty: `folder`
  Shell* shell = nullptr;                           // opens folders
  std::function<void(const QString&)> showMessage;  // message boxes
  std::function<bool(const QString&)> confirm;      // yes-or-no questions
  std::function<void()> endProgram;                 // QCoreApplication::exit
  std::function<void(const QUrl&)> openUrl;         // the browser
  QString configFolder;  // where settings are kept; empty: ~/.config/harvel
  // Where the collection list is kept; empty: $XDG_DATA_HOME/harvel (~/.local/share/harvel).
  QString dataFolder;
};

// The desktop program put together: the main window, the crawl engine with its
// crawl window, the event pump, the channel to VeskDownloader and the shell.
class DesktopProgram {
  Q_DECLARE_TR_FUNCTIONS(DesktopProgram)

 public:
  // `folder`: Harvel's folder, in which each crawl makes its title's folder (and
  // the folder itself first when it is missing).
  explicit DesktopProgram(const std::string& folder, DesktopOverrides overrides = {});
  ~DesktopProgram();
  DesktopProgram(const DesktopProgram&) = delete;
  DesktopProgram& operator=(const DesktopProgram&) = delete;

  // Runs Form_Load (which finds or starts VeskDownloader) and shows the main
  // window.
  void start();

  MainFrm& mainFrm() { return *mainFrm_; }
  SearchFrm& searchFrm() { return *searchFrm_; }
  CrawlSession& crawlSession() { return *crawlSession_; }
  DownloaderChannel& channel() { return channel_; }

 private:
  MainFrmServices services(const DesktopOverrides& overrides);
  QString forgetRecord(const std::string& title);
  // Where the crawl window opens: where the user last put it, else beside the main window.
  QPoint crawlWindowPlace(QSize frame);

  // The windows' language (WindowLanguageOfEnvironment), installed before they are built.
  WindowTexts texts_;
  std::string harvelFolder_;
  SettingsStore settings_;
  QtEventPump pump_;
  QtShell qtShell_;
  DownloaderChannel channel_;
  RecordedFolders records_;  // each title folder's record, for the only-new option
  std::unique_ptr<MainFrm> mainFrm_;
  std::unique_ptr<CrawlSession> crawlSession_;
  std::unique_ptr<SearchFrm> searchFrm_;
  CrawlObserverList observers_;  // the crawl window and the main window's last-crawl panel
};

}  // namespace harvel
