#include "app/desktop_program.h"

#include <QApplication>
#include <QScreen>
#include <QStandardPaths>
#include <filesystem>
#include <system_error>

#include "common/path_text.h"
#include "crawl/crawl_state.h"
#include "crawl/title_check.h"
#include "crawl_window/window_place.h"
#include "main_window/picture_button.h"
#include "platform/program_folder.h"
#include "record/record_file.h"

namespace harvel {
namespace {

const QString kCrawlWindowPositionKey = QStringLiteral("crawl_window/position");

// $XDG_DATA_HOME/harvel, ~/.local/share/harvel when it is not set.
QString DefaultDataFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/harvel");
}

}  // namespace

DesktopProgram::DesktopProgram(const std::string& folder, DesktopOverrides overrides)
    : texts_(WindowLanguageOfEnvironment(),
             TranslationFolders(QCoreApplication::applicationDirPath())),
      harvelFolder_(folder),
      settings_(overrides.configFolder.isEmpty() ? SettingsStore::DefaultFolder()
                                                 : overrides.configFolder),
      channel_(QString::fromStdString(overrides.programFolder.empty() ? folder
                                                                      : overrides.programFolder)) {
  if (!texts_.loaded())
    qWarning("harvel: harvel_en.qm was not found; the windows stay in Japanese");
  mainFrm_ = std::make_unique<MainFrm>(services(overrides));
  crawlSession_ = std::make_unique<CrawlSession>(
      mainFrm_->options(), pump_, channel_, overrides.shell ? *overrides.shell : qtShell_, folder);
  searchFrm_ = std::make_unique<SearchFrm>(SearchFrmServices{
      [this] { crawlSession_->unload(); },
      [this] {
        const CrawlState* state = crawlSession_->state();
        return state && state->mailbox ? state->mailbox->text : std::string();
      },
      [this](const std::string& path) { qtShell_.openFile(path); },
      [this](bool paused) { crawlSession_->setPaused(paused); },
      [this] {
        const CrawlState* state = crawlSession_->state();
        if (!state)
          return CrawlProgress{};
        return CrawlProgress{state->DownCnt, static_cast<std::int64_t>(state->rows.size())};
      },
      [this](QSize frame) { return crawlWindowPlace(frame); },
      [this](std::optional<QPoint> movedTo) {
        // Where the user put it is where it opens next; a window left where it
        // was placed follows the main window.
        if (movedTo)
          settings_.setValue(kCrawlWindowPositionKey, *movedTo);
      }});
  mainFrm_->settingsDialog().display().watchThumbnails(
      [this](bool shown) { searchFrm_->setThumbnailsShown(shown); });
  observers_.add(searchFrm_.get());
  observers_.add(&mainFrm_->lastCrawlPanel());
  crawlSession_->setObserver(&observers_);
  crawlSession_->setCollectedFiles(&records_);
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
    // A row added to a running crawl goes with that crawl's settings.
    if (!crawlSession_->isLoaded()) {
      // Its logins go to its start URL's host.
      ConnectionSettings settings = mainFrm_->settingsDialog().connectionSettings();
      settings.startUrl = row.url;
      switch (channel_.applySettings(settings)) {
        case DownloaderChannel::SettingsResult::Applied:
          break;
        case DownloaderChannel::SettingsResult::Unreachable:
          // Told as a crawl that lost its downloader is.
          return CrawlStartResult{CrawlOutcome::ChannelFailed,
                                  "the downloader (VeskDownloader) cannot be reached: " +
                                      channel_.errorText().toStdString()};
        case DownloaderChannel::SettingsResult::Refused:
        case DownloaderChannel::SettingsResult::NotTaken: {
          CrawlStartResult refused;
          refused.settingsError = channel_.errorText().toStdString();
          return refused;
        }
      }
    }
    MakeFolder(harvelFolder_);  // the pictures folder's Harvel may not be there yet
    const bool joining = crawlSession_->isLoaded();
    const CrawlOutcome outcome = crawlSession_->start(row);
    if (joining && outcome == CrawlOutcome::AlreadyRunning)
      searchFrm_->rowJoined(row);
    return CrawlStartResult{outcome, crawlSession_->errorText()};
  };
  services.forgetRecord = [this](const std::string& title) { return forgetRecord(title); };
  services.openCrawlFolder = [this, shell = overrides.shell](const std::string& title,
                                                             QString* folder) {
    const std::optional<std::string> path = TitleFolder(harvelFolder_, title);
    *folder = QString::fromStdString(path.value_or(harvelFolder_ + "/" + title));
    std::error_code error;
    if (!path || !std::filesystem::is_directory(PathFromText(*path), error))
      return false;
    if (shell != nullptr) {
      shell->openFolder(*path);
      return true;
    }
    return qtShell_.openFolderNow(*path);
  };
  services.closeCrawlWindow = [this] { searchFrm_->close(); };
  services.closeDownloader = [this] { channel_.close(); };
  services.endProgram = overrides.endProgram;
  services.showMessage = overrides.showMessage;
  if (overrides.confirm) {
    services.confirm = [confirm = overrides.confirm](const QString& question,
                                                     std::function<void(bool)> answered) {
      answered(confirm(question));
    };
  }
  services.keptListFolder =
      (overrides.dataFolder.isEmpty() ? DefaultDataFolder() : overrides.dataFolder).toStdString();
  services.openUrl = overrides.openUrl;
  services.keptSettings.read = [this](const QString& key) { return settings_.value(key); };
  services.keptSettings.write = [this](const QString& key, const QVariant& value) {
    settings_.setValue(key, value);
  };
  return services;
}

QPoint DesktopProgram::crawlWindowPlace(QSize frame) {
  const QVariant kept = settings_.value(kCrawlWindowPositionKey);
  if (kept.isValid() && QGuiApplication::screenAt(kept.toPoint()) != nullptr)
    return kept.toPoint();  // where the user left it, still on a screen
  const QScreen* screen = mainFrm_->screen();
  return PlaceBeside(mainFrm_->frameGeometry(), frame,
                     screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1920, 1080));
}

QString DesktopProgram::forgetRecord(const std::string& title) {
  const QString name = QString::fromStdString(title);
  // A running crawl may hold the record open and go on writing to it.
  if (crawlSession_->isLoaded())
    return tr("巡回中は取得記録を消去できません。巡回が終わってから選んでください。");
  const std::optional<std::string> folder = TitleFolder(harvelFolder_, title);
  if (!folder)
    return tr("「%1」はフォルダの名前に使えないため、取得記録もありません。").arg(name);
  std::string error;
  switch (ForgetFolderRecord(*folder, error)) {
    case ForgetResult::Forgotten:
      return tr("「%1」の取得記録を消去しました。").arg(name);
    case ForgetResult::NoRecord:
      return tr("「%1」には取得記録がありません。").arg(name);
    case ForgetResult::Refused:
      break;
  }
  return tr("「%1」の取得記録を消去できませんでした。\n\n%2")
      .arg(name, QString::fromStdString(error));
}

void DesktopProgram::start() {
  QApplication::setWindowIcon(ProgramIcon());
  mainFrm_->Form_Load();
  mainFrm_->show();
}

}  // namespace harvel
