#include "app/desktop_program.h"

#include <QApplication>

#include "app/qt_translations.h"
#include "crawl/crawl_state.h"
#include "main_window/picture_button.h"
#include "platform/program_folder.h"

namespace harvel {

DesktopProgram::DesktopProgram(const std::string& folder, DesktopOverrides overrides)
    : harvelFolder_(folder),
      settings_(overrides.configFolder.isEmpty() ? SettingsStore::DefaultFolder()
                                                 : overrides.configFolder),
      channel_(QString::fromStdString(overrides.programFolder.empty() ? folder
                                                                      : overrides.programFolder)) {
  mainFrm_ = std::make_unique<MainFrm>(services(overrides));
  crawlSession_ = std::make_unique<CrawlSession>(
      mainFrm_->options(), pump_, channel_, overrides.shell ? *overrides.shell : qtShell_, folder);
  searchFrm_ = std::make_unique<SearchFrm>(
      SearchFrmServices{[this] { crawlSession_->unload(); },
                        [this] {
                          const CrawlState* state = crawlSession_->state();
                          return state && state->mailbox ? state->mailbox->text : std::string();
                        },
                        [this](const std::string& path) { qtShell_.openFile(path); }});
  mainFrm_->settingsDialog().display().watchThumbnails(
      [this](bool shown) { searchFrm_->setThumbnailsShown(shown); });
  observers_.add(searchFrm_.get());
  observers_.add(&mainFrm_->lastCrawlPanel());
  crawlSession_->setObserver(&observers_);
}

DesktopProgram::~DesktopProgram() {
  crawlSession_->setObserver(nullptr);
}

MainFrmServices DesktopProgram::services(const DesktopOverrides& overrides) {
  MainFrmServices services;
  services.findOrStartDownloader = [this](QString* error) {
    if (channel_.connectOrStart())
      return true;
    *error = channel_.errorText();
    return false;
  };
  services.startCrawl = [this](const CrawlTarget& row) {
    MakeFolder(harvelFolder_);  // the pictures folder's Harvel may not be there yet
    const CrawlOutcome outcome = crawlSession_->start(row);
    return CrawlStartResult{outcome, crawlSession_->errorText()};
  };
  services.closeCrawlWindow = [this] { searchFrm_->close(); };
  services.closeDownloader = [this] { channel_.close(); };
  services.endProgram = overrides.endProgram;
  services.showMessage = overrides.showMessage;
  services.openUrl = overrides.openUrl;
  services.keptSettings.read = [this](const QString& key) { return settings_.value(key); };
  services.keptSettings.write = [this](const QString& key, const QVariant& value) {
    settings_.setValue(key, value);
  };
  return services;
}

void DesktopProgram::start() {
  InstallJapaneseQtTranslations(qtTexts_);
  QApplication::setWindowIcon(ProgramIcon());
  mainFrm_->Form_Load();
  mainFrm_->show();
}

}  // namespace harvel
