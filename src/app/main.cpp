// harvel: the desktop program. Assembles the main window, the crawl window, the
// crawl engine between them and the platform services, and starts.
#include <QApplication>

#include "crawl/crawl_state.h"
#include "crawl/crawl_window.h"
#include "crawl_window/search_frm.h"
#include "main_window/main_frm.h"
#include "platform/downloader_channel.h"
#include "platform/program_folder.h"
#include "platform/qt_event_pump.h"
#include "platform/qt_shell.h"

int main(int argc, char** argv) {
  using namespace harvel;
  QApplication app(argc, argv);
  const std::string folder = ProgramFolder();
  QtEventPump pump;
  QtShell shell;
  DownloaderChannel channel(QString::fromStdString(folder));

  // The main window's services reach the crawl window made just after it.
  CrawlWindow* crawlWindow = nullptr;
  SearchFrm* searchFrm = nullptr;
  MainFrmServices services;
  services.findOrStartDownloader = [&channel](QString* error) {
    if (channel.connectOrStart())
      return true;
    *error = channel.errorText();
    return false;
  };
  services.startCrawl = [&crawlWindow](const CrawlTarget& row) {
    const CrawlOutcome outcome = crawlWindow->start(row);
    return CrawlStartResult{outcome, crawlWindow->errorText()};
  };
  services.closeCrawlWindow = [&searchFrm] { searchFrm->close(); };
  services.closeDownloader = [&channel] { channel.close(); };
  services.endProgram = [] { QCoreApplication::exit(0); };

  MainFrm mainFrm(std::move(services));
  CrawlWindow crawl(mainFrm.options(), pump, channel, shell, folder);
  SearchFrm search(SearchFrmServices{[&crawl] { crawl.unload(); },
                                     [&crawl] {
                                       const CrawlState* state = crawl.state();
                                       return state && state->mailbox ? state->mailbox->text
                                                                      : std::string();
                                     }});
  crawl.setObserver(&search);
  crawlWindow = &crawl;
  searchFrm = &search;

  mainFrm.Form_Load();
  mainFrm.show();
  const int status = app.exec();
  crawl.setObserver(nullptr);
  return status;
}
