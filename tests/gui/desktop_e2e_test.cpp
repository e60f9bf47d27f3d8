// The desktop program end to end: the real main window and crawl window, the
// real engine, the real VeskDownloader and a real HTTP server on 127.0.0.1.
#include <gtest/gtest.h>

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <thread>

#include "app/desktop_program.h"
#include "crawl/option_table.h"
#include "downloader_process.h"
#include "list_file/list_file.h"
#include "qstring_printer.h"
#include "temp_folder.h"
#include "test_site_server.h"

namespace harvel::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class RecordingShell : public Shell {
 public:
  void openFolder(const std::string& folder) override { opened.push_back(folder); }
  std::vector<std::string> opened;
};

class DesktopEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    overrides.programFolder = test::ProgramFolderOfBuild();
    overrides.shell = &shell;
    if (!programBoxes) {
      overrides.showMessage = [this](const QString& text) { messages.push_back(text); };
      overrides.confirm = [this](const QString& question) {
        questions.push_back(question);
        return true;
      };
    }
    overrides.endProgram = [this] { ended = true; };
    overrides.openUrl = [](const QUrl&) {};
    overrides.dataFolder = QString::fromStdString(dataFolder.text());
    program = std::make_unique<DesktopProgram>(harvelFolder.text(), overrides);
    captions.push_back(program->searchFrm().windowTitle());
    QObject::connect(&program->searchFrm(), &QWidget::windowTitleChanged,
                     [this](const QString& title) { captions.push_back(title); });
    program->start();
  }

  void TearDown() override {
    program.reset();
    server.stop();
    test::KillRunningDownloader();
  }

  template <typename T>
  T* control(const char* name) {
    return program->mainFrm().findChild<T*>(QString::fromLatin1(name));
  }

  // Types a target into the edit boxes, adds it and double-clicks its row, as a
  // user does. Returns when the crawl started by the double click is over.
  void crawlFromTheList(const QString& title, const std::string& url, const QString& level) {
    control<QLineEdit>("TitleTxt")->setText(title);
    control<QLineEdit>("URLTxt")->setText(QString::fromStdString(url));
    control<QLineEdit>("LevelTxt")->setText(level);
    program->mainFrm().AddBtn_Click();
    auto* list = control<QTreeView>("ListView1");
    const QModelIndex row = list->model()->index(list->model()->rowCount() - 1, 0);
    const QPoint at = list->visualRect(row).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    // The crawl runs inside the queued start handler; a watchdog closes the
    // crawl window should it ever hang.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [this] {
      timedOut = true;
      program->searchFrm().close();
    });
    watchdog.start(60s);
    QCoreApplication::processEvents();
  }

  // Requests the routes of a test counted: a member, since a crawl may still
  // ask the server after the test's body has returned, until TearDown.
  std::atomic<int> requests{0};
  test::TestSiteServer server;
  test::TempFolder harvelFolder;
  test::TempFolder dataFolder;  // the kept collection list
  DesktopOverrides overrides;
  RecordingShell shell;
  std::unique_ptr<DesktopProgram> program;
  std::vector<QString> messages;
  std::vector<QString> questions;
  std::vector<QString> captions;
  bool ended = false;
  bool timedOut = false;
  bool programBoxes = false;  // the program's own message boxes instead of the test's answers
};

// With the message boxes and questions the program shows itself.
class DesktopBoxesEndToEnd : public DesktopEndToEnd {
 protected:
  void SetUp() override {
    programBoxes = true;
    DesktopEndToEnd::SetUp();
  }
};

const std::string kGif = "GIF89a\x01\x00\x01\x00picture-one";
const std::string kPng = "\x89PNG\r\n\x1a\npicture-two";
const std::string kJpeg = "\xff\xd8\xff\xe0picture-three";

TEST_F(DesktopEndToEnd, TheOnlyNewOptionTakesNothingCollectedAndItsRecordCanBeForgotten) {
  server.routes().Get("/r/index.html", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<img src=\"a.gif\"><img src=\"b.png\">", "text/html");
  });
  for (const auto& [path, body] : {std::pair{"/r/a.gif", kGif}, std::pair{"/r/b.png", kPng}}) {
    server.routes().Get(path, [this, body](const httplib::Request&, httplib::Response& res) {
      ++requests;
      res.set_content(body, "application/octet-stream");
    });
  }
  server.start();
  auto* onlyNew = program->mainFrm().settingsDialog().findChild<QCheckBox*>("OnlyNewChk");
  ASSERT_NE(onlyNew, nullptr);
  EXPECT_FALSE(onlyNew->isChecked());  // off at start
  onlyNew->setChecked(true);           // read by the crawl with the dialog closed

  const fs::path folder = harvelFolder.path() / "r";
  CountPanel* collected = program->searchFrm().collectedPanel();
  for (const int crawl : {1, 2}) {
    crawlFromTheList(QStringLiteral("r"), server.url("/r/index.html"), QStringLiteral("0"));
    ASSERT_FALSE(timedOut);
    EXPECT_EQ(requests, 2) << "crawl " << crawl;
  }
  EXPECT_FALSE(collected->isHidden());
  EXPECT_EQ(collected->text(), QStringLiteral("取得済:2"));
  EXPECT_TRUE(program->searchFrm().failurePanel()->isHidden());
  EXPECT_TRUE(fs::exists(folder / ".harvel/record.db"));

  // 編集 → 取得記録を消去 asks first, then removes the record and no file.
  program->mainFrm().findChild<QAction*>(QStringLiteral("IDM_LIST_FORGET"))->trigger();
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_TRUE(questions[0].contains(QStringLiteral("「r」の取得記録を消去しますか")));
  EXPECT_FALSE(fs::exists(folder / ".harvel/record.db"));
  EXPECT_EQ(test::ReadFile(folder / "a.gif"), kGif);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back(), QStringLiteral("「r」の取得記録を消去しました。"));
}

TEST_F(DesktopBoxesEndToEnd, TheCrawlGoesOnBehindEveryDialogOfTheMainWindow) {
  std::string page;
  for (int i = 0; i < 300; ++i)
    page += "<img src=\"p" + std::to_string(i) + ".gif\">\r\n";
  server.routes().Get("/many.html", [page](const httplib::Request&, httplib::Response& res) {
    res.set_content(page, "text/html");
  });
  server.routes().Get(R"(/p\d+\.gif)", [this](const httplib::Request&, httplib::Response& res) {
    ++requests;
    std::this_thread::sleep_for(30ms);  // the crawl outlasts the dialogs
    res.set_content(kGif, "image/gif");
  });
  server.start();
  test::TempFolder lists;
  ASSERT_TRUE(SaveListFile(lists.file("one.hvl"), {{"x", "http://127.0.0.1:1/", "0"}}));

  MainFrm& frm = program->mainFrm();
  QFileDialog& listDialog = frm.listFileDialog().dialog();
  auto box = [&frm](const char* name) -> QWidget* {
    for (QMessageBox* found : frm.findChildren<QMessageBox*>(QString::fromLatin1(name))) {
      if (found->isVisible())
        return found;
    }
    return nullptr;
  };
  auto shownDialog = [&listDialog]() -> QWidget* {
    return listDialog.isVisible() ? &listDialog : nullptr;
  };
  auto trigger = [&frm](const char* action) {
    frm.findChild<QAction*>(QString::fromLatin1(action))->trigger();
  };
  struct Step {
    const char* what;
    std::function<void()> open;
    std::function<QWidget*()> shown;
  };
  const std::vector<Step> steps = {
      {"open dialog", [&] { trigger("IDM_FILE_OPEN"); }, shownDialog},
      {"save dialog", [&] { trigger("IMD_FILE_SAVE"); }, shownDialog},
      {"question", [&] { trigger("IDM_LIST_FORGET"); }, [&] { return box("QuestionBox"); }},
      {"add or replace",
       [&] {
         trigger("IDM_FILE_OPEN");
         listDialog.setOption(QFileDialog::DontUseNativeDialog);
         listDialog.selectFile(QString::fromStdString(lists.file("one.hvl")));
         static_cast<QDialog&>(listDialog).accept();  // as the 開く button does
       },
       [&] { return box("ChoiceBox"); }},
      {"message",
       [&] {
         control<QLineEdit>("TitleTxt")->setText(QStringLiteral(".."));
         frm.AddBtn_Click();
         auto* list = control<QTreeView>("ListView1");
         list->setCurrentIndex(list->model()->index(list->model()->rowCount() - 1, 0));
         frm.ListView1_DblClick();  // a title refused: told while the crawl goes on
       },
       [&] { return box("MessageBox"); }},
      {"browse dialog", [&] { frm.settingsDialog().connection().caCertificate()->browse(); },
       [&]() -> QWidget* {
         QFileDialog* dialog = frm.settingsDialog().connection().caCertificate()->dialog();
         return dialog->isVisible() ? dialog : nullptr;
       }},
      {"詳細設定", [&] { trigger("IDM_TOOL_SETTINGS"); },
       [&]() -> QWidget* {
         return frm.settingsDialog().isVisible() ? &frm.settingsDialog() : nullptr;
       }},
  };

  // Each dialog in turn, once the crawl is fetching: it stays open until three
  // more files have been asked for, then it is closed and the next one opens.
  std::size_t step = 0;
  int atOpen = -1;
  std::vector<std::string> blocked;
  QTimer driver;
  QObject::connect(&driver, &QTimer::timeout, [&] {
    if (step == steps.size() || requests == 0)
      return;
    if (atOpen < 0) {
      atOpen = requests;
      steps[step].open();
      if (!steps[step].shown())
        blocked.push_back(std::string(steps[step].what) + " not shown");
      return;
    }
    QWidget* dialog = steps[step].shown();
    if (requests < atOpen + 3 && dialog)
      return;
    if (!dialog)
      blocked.push_back(std::string(steps[step].what) + " closed early");
    if (auto* modal = qobject_cast<QDialog*>(dialog))
      modal->reject();
    atOpen = -1;
    if (++step == steps.size())
      program->searchFrm().close();  // every dialog seen: the crawl may end
  });
  driver.start(10);
  crawlFromTheList(QStringLiteral("many"), server.url("/many.html"), QStringLiteral("0"));
  ASSERT_FALSE(timedOut) << "stopped behind: " << steps[std::min(step, steps.size() - 1)].what;
  EXPECT_EQ(step, steps.size());
  EXPECT_TRUE(blocked.empty()) << blocked.front();
  EXPECT_LT(requests, 300);  // closed before its end
}

TEST_F(DesktopEndToEnd, DoubleClickCollectsTheFilesAndTheWindowClosesItself) {
  auto serve = [this](const char* path, std::string body, const char* type) {
    server.routes().Get(path, [body, type](const httplib::Request&, httplib::Response& res) {
      res.set_content(body, type);
    });
  };
  serve("/site/index.html",
        "<html><body><img src=\"a.gif\"><img src=\"b.png\">\r\n"
        "<a href=\"page2.html\">next</a></body></html>\r\n",
        "text/html");
  serve("/site/page2.html", "<html><img src=\"photos/c.jpg\"></html>\r\n", "text/html");
  serve("/site/a.gif", kGif, "image/gif");
  serve("/site/b.png", kPng, "image/png");
  serve("/site/photos/c.jpg", kJpeg, "image/jpeg");
  server.start();
  ASSERT_TRUE(program->channel().isConnected()) << program->channel().errorText().toStdString();
  ASSERT_TRUE(messages.empty());

  crawlFromTheList(QStringLiteral("画像テスト"), server.url("/site/index.html"),
                   QStringLiteral("1"));
  // Both windows carry the program's icon.
  EXPECT_FALSE(program->mainFrm().windowIcon().isNull());
  EXPECT_EQ(program->searchFrm().windowIcon().cacheKey(),
            program->mainFrm().windowIcon().cacheKey());

  ASSERT_FALSE(timedOut);
  const fs::path folder = harvelFolder.path() / fs::u8path("画像テスト");
  EXPECT_EQ(test::ReadFile(folder / "a.gif"), kGif);
  EXPECT_EQ(test::ReadFile(folder / "b.png"), kPng);
  EXPECT_EQ(test::ReadFile(folder / "c.jpg"), kJpeg);
  EXPECT_FALSE(fs::exists(folder / "index.html"));  // pages are read, then dropped
  EXPECT_FALSE(fs::exists(folder / "page2.html"));

  // It was shown crawling, told the completion and then closed by itself.
  const auto completion =
      std::find(captions.begin(), captions.end(),
                QStringLiteral("ダウンロードが完了しました(2秒後に自動で閉じます)"));
  ASSERT_NE(completion, captions.end());
  EXPECT_EQ(captions.front(), QStringLiteral("巡回中・・・"));
  EXPECT_LE(captions.end() - completion, 2);  // then only the closing text
  EXPECT_FALSE(program->searchFrm().isVisible());
  EXPECT_FALSE(program->crawlSession().isLoaded());
  EXPECT_EQ(program->searchFrm().statusPanelText(2),
            QStringLiteral("ダウンロード総数:3 (残りの数：0 )"));
  EXPECT_EQ(shell.opened, std::vector<std::string>{folder.string()});
  EXPECT_TRUE(messages.empty());
  EXPECT_FALSE(ended);
}

TEST_F(DesktopEndToEnd, TheMainWindowKeepsTheLastCrawlsFailuresUntilTheNextCrawl) {
  server.routes().Get("/album.html", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(
        "<img src=\"a.gif\"><img src=\"gone1.gif\"><img src=\"gone2.gif\">"
        "<img src=\"gone3.gif\">\r\n",
        "text/html");
  });
  server.routes().Get("/a.gif", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(kGif, "image/gif");
  });
  server.start();  // the gone pictures answer 404
  crawlFromTheList(QStringLiteral("album"), server.url("/album.html"), QStringLiteral("0"));
  ASSERT_FALSE(timedOut);
  EXPECT_FALSE(program->searchFrm().isVisible());  // closed by itself, 失敗:3 with it

  auto* panel = control<QLabel>("StatusBar1LastCrawl");
  ASSERT_NE(panel, nullptr);
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(panel->text(), QStringLiteral("前回の巡回: 取得 1 / 失敗 3"));  // the page is not kept
  for (const char* name : {"gone1.gif", "gone2.gif", "gone3.gif"}) {
    EXPECT_TRUE(panel->toolTip().contains(
        QString::fromStdString(server.url("/") + name + " -&gt; " + harvelFolder.text() +
                               "/album/" + name + ": 失敗 (HTTP 404)")))
        << panel->toolTip().toStdString();
  }

  // The next crawl takes it away from its start.
  std::optional<bool> shownAtCompletion;
  QObject::connect(&program->searchFrm(), &QWidget::windowTitleChanged, [&] {
    if (program->searchFrm().windowTitle().startsWith(QStringLiteral("ダウンロードが完了")))
      shownAtCompletion = panel->isVisible();
  });
  crawlFromTheList(QStringLiteral("one"), server.url("/a.gif"), QStringLiteral("0"));
  ASSERT_TRUE(shownAtCompletion.has_value());
  EXPECT_FALSE(*shownAtCompletion);
  // Every crawl leaves its result, one without failures too.
  EXPECT_TRUE(panel->isVisible());
  EXPECT_EQ(panel->text(), QStringLiteral("前回の巡回: 取得 1 / 失敗 0"));

  // フォルダを開く opens that crawl's folder; one that is not there is told with its path.
  auto* folderLink = control<QLabel>("StatusBar1LastCrawlFolder");
  ASSERT_NE(folderLink, nullptr);
  EXPECT_TRUE(folderLink->isVisible());
  shell.opened.clear();
  emit folderLink->linkActivated(QStringLiteral("folder"));
  EXPECT_EQ(shell.opened, std::vector<std::string>{harvelFolder.text() + "/one"});
  fs::remove_all(harvelFolder.path() / "one");
  const std::size_t told = messages.size();
  program->mainFrm().findChild<QAction*>(QStringLiteral("IDM_FILE_FOLDER"))->trigger();
  ASSERT_EQ(messages.size(), told + 1);
  EXPECT_TRUE(messages.back().contains(QString::fromStdString(harvelFolder.text() + "/one")));
  EXPECT_EQ(shell.opened.size(), 1u);
}

TEST_F(DesktopEndToEnd, TheThumbnailSettingIsKeptBetweenRunsAndTheStripShowsWhatLands) {
  QImage picture(40, 30, QImage::Format_RGB32);
  picture.fill(Qt::blue);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(picture.save(&buffer, "PNG"));
  server.routes().Get("/pictures.html", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<img src=\"blue.dat\"><img src=\"plain.txt\">\r\n", "text/html");
  });
  server.routes().Get("/blue.dat", [png](const httplib::Request&, httplib::Response& res) {
    res.set_content(png.toStdString(), "image/png");
  });
  server.routes().Get("/plain.txt", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("text", "text/plain");
  });
  server.start();
  test::TempFolder config;
  overrides.configFolder = QString::fromStdString(config.text());
  auto run = [this] {
    program = std::make_unique<DesktopProgram>(harvelFolder.text(), overrides);
    program->start();
    return program->mainFrm().findChild<QCheckBox*>(QStringLiteral("ThumbnailsChk"));
  };

  QCheckBox* box = run();
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(box->isChecked());  // off at first
  EXPECT_FALSE(program->searchFrm().thumbnailsShown());
  box->click();
  EXPECT_TRUE(program->searchFrm().thumbnailsShown());

  box = run();  // the next run of the program
  EXPECT_TRUE(box->isChecked());
  EXPECT_TRUE(program->searchFrm().thumbnailsShown());
  EXPECT_TRUE(fs::exists(config.path() / "harvel.conf"));

  // その他 takes the picture named as no picture and the text file too.
  control<QCheckBox>("OtherChk")->setChecked(true);
  crawlFromTheList(QStringLiteral("pictures"), server.url("/pictures.html"), QStringLiteral("0"));
  ASSERT_FALSE(timedOut);
  const ThumbnailStrip& strip = *program->searchFrm().thumbnails();
  ASSERT_TRUE(QTest::qWaitFor([&] { return strip.decodesUnderWay() == 0; }, 10000));
  ASSERT_EQ(strip.shown().size(), 1u);
  EXPECT_EQ(strip.shown()[0].path.toStdString(), harvelFolder.text() + "/pictures/blue.dat");
  EXPECT_EQ(strip.shown()[0].state, ThumbnailStrip::State::Drawn);
  EXPECT_EQ(strip.shown()[0].thumbnail.pixels, QSize(40, 30));
}

TEST_F(DesktopEndToEnd, AHarvelFolderThatIsNotThereYetIsMadeForTheFirstCrawl) {
  server.routes().Get("/one.html", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<img src=\"a.gif\">\r\n", "text/html");
  });
  server.routes().Get("/a.gif", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(kGif, "image/gif");
  });
  server.start();
  const fs::path pictures = harvelFolder.path() / "Pictures" / "Harvel";
  program = std::make_unique<DesktopProgram>(pictures.string(), overrides);
  program->start();
  EXPECT_FALSE(fs::exists(pictures));  // nothing is made before it is needed

  crawlFromTheList(QStringLiteral("T"), server.url("/one.html"), QStringLiteral("0"));
  ASSERT_FALSE(timedOut);
  EXPECT_EQ(test::ReadFile(pictures / "T" / "a.gif"), kGif);
}

TEST_F(DesktopEndToEnd, QtsOwnDialogsSpeakJapanese) {
  QDialogButtonBox buttons(QDialogButtonBox::Open | QDialogButtonBox::Cancel);
  EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"))
      << "Qt's Japanese translations (Debian: qt6-translations-l10n) are not installed";
  EXPECT_EQ(QCoreApplication::translate("QFileDialog", "File &name:"),
            QStringLiteral("ファイル名(&N):"));
  program.reset();  // the texts go with the program
  QDialogButtonBox after(QDialogButtonBox::Cancel);
  EXPECT_EQ(after.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
}

TEST_F(DesktopEndToEnd, ATitleNamingHarvelsOwnFolderIsRefusedWithAMessage) {
  server.routes().Get("/index.html", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<img src=\"harvel\">", "text/html");
  });
  server.routes().Get("/harvel", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("not a program", "image/gif");
  });
  server.start();
  crawlFromTheList(QStringLiteral("."), server.url("/index.html"), QStringLiteral("1"));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].contains(QStringLiteral("フォルダの名前に使えない")))
      << messages[0].toStdString();
  EXPECT_FALSE(fs::exists(harvelFolder.path() / "harvel"));
  EXPECT_FALSE(fs::exists(harvelFolder.path() / "index.html"));
  EXPECT_FALSE(program->crawlSession().isLoaded());
}

TEST_F(DesktopEndToEnd, PauseHoldsTheCrawlResumeGoesOnAndStopEndsItAsStopped) {
  std::string page;
  for (int i = 0; i < 60; ++i)
    page += "<img src=\"p" + std::to_string(i) + ".gif\">\r\n";
  server.routes().Get("/p.html", [page](const httplib::Request&, httplib::Response& res) {
    res.set_content(page, "text/html");
  });
  server.routes().Get(R"(/p\d+\.gif)", [this](const httplib::Request&, httplib::Response& res) {
    ++requests;
    std::this_thread::sleep_for(20ms);
    res.set_content(kGif, "image/gif");
  });
  server.start();
  control<QSpinBox>("JobsSpin")->setValue(1);  // one file at a time, nothing fetched ahead

  SearchFrm& crawl = program->searchFrm();
  enum class Phase { Crawling, Paused, Resumed, Stopped } phase = Phase::Crawling;
  int atPause = 0;
  int atResume = 0;
  QString pausedButton;
  QString pausedText;
  int progressValue = -1;
  int progressMaximum = -1;
  QElapsedTimer pausedFor;
  QTimer driver;
  QObject::connect(&driver, &QTimer::timeout, [&] {
    switch (phase) {
      case Phase::Crawling:
        if (requests >= 5) {
          crawl.pauseButton()->click();
          atPause = requests;
          pausedFor.start();
          phase = Phase::Paused;
        }
        break;
      case Phase::Paused:
        if (pausedFor.elapsed() < 1000)
          break;
        atResume = requests;
        pausedButton = crawl.pauseButton()->text();
        pausedText = crawl.progressBar()->format();
        progressValue = crawl.progressBar()->value();
        progressMaximum = crawl.progressBar()->maximum();
        crawl.pauseButton()->click();
        phase = Phase::Resumed;
        break;
      case Phase::Resumed:
        if (requests >= atResume + 3) {
          crawl.stopButton()->click();
          phase = Phase::Stopped;
        }
        break;
      case Phase::Stopped:
        break;
    }
  });
  driver.start(10);
  crawlFromTheList(QStringLiteral("p"), server.url("/p.html"), QStringLiteral("1"));
  ASSERT_FALSE(timedOut);
  ASSERT_EQ(phase, Phase::Stopped);
  // The file under way when the pause came finished; no new one was asked for.
  EXPECT_LE(atResume, atPause + 1);
  EXPECT_EQ(pausedButton, QStringLiteral("再開"));
  EXPECT_EQ(pausedText, QStringLiteral("一時停止中"));
  EXPECT_GE(progressValue, 5);  // the files fetched, of all that were found
  EXPECT_EQ(progressMaximum, 60);
  EXPECT_LT(requests, 60);
  EXPECT_FALSE(crawl.isVisible());
  EXPECT_EQ(crawl.pauseButton()->text(), QStringLiteral("一時停止"));  // for the next crawl
  auto* panel = control<QLabel>("StatusBar1LastCrawl");
  EXPECT_TRUE(panel->text().endsWith(QStringLiteral(" (中止)"))) << panel->text().toStdString();
}

TEST_F(DesktopEndToEnd, ASecondStartDuringACrawlIsShownInTheCrawlWindow) {
  server.routes().Get(R"(/(a|b)\.gif)", [](const httplib::Request&, httplib::Response& res) {
    std::this_thread::sleep_for(300ms);
    res.set_content(kGif, "image/gif");
  });
  server.start();
  control<QLineEdit>("TitleTxt")->setText(QStringLiteral("second"));
  control<QLineEdit>("URLTxt")->setText(QString::fromStdString(server.url("/b.gif")));
  program->mainFrm().AddBtn_Click();
  SearchFrm& crawl = program->searchFrm();
  QString told;
  QString current;
  QTimer::singleShot(100ms, [&] {
    auto* list = control<QTreeView>("ListView1");
    list->setCurrentIndex(list->model()->index(1, 0));  // the row "second"
    program->mainFrm().ListView1_DblClick();
    told = crawl.findChild<QStatusBar*>(QStringLiteral("StatusBar1"))->currentMessage();
    const QModelIndex at = crawl.listView()->currentIndex();
    current = at.isValid() ? at.data().toString() : QString();
  });
  crawlFromTheList(QStringLiteral("first"), server.url("/a.gif"), QStringLiteral("0"));
  ASSERT_FALSE(timedOut);
  EXPECT_EQ(told, QStringLiteral("巡回中のリストに「second」を追加しました"));
  EXPECT_EQ(current, QStringLiteral("second"));
  EXPECT_TRUE(fs::exists(harvelFolder.path() / "second" / "b.gif"));
}

TEST_F(DesktopEndToEnd, ClosingTheCrawlWindowMidCrawlStopsRequests) {
  constexpr int kPictures = 40;
  std::string page = "<html>\r\n";
  for (int i = 0; i < kPictures; ++i) {
    page += "<img src=\"p" + std::to_string(i) + ".gif\">\r\n";
  }
  server.routes().Get("/slow/index.html", [page](const httplib::Request&, httplib::Response& res) {
    res.set_content(page, "text/html");
  });
  server.routes().Get(R"(/slow/p\d+\.gif)",
                      [this](const httplib::Request&, httplib::Response& res) {
                        ++requests;
                        std::this_thread::sleep_for(50ms);
                        res.set_content(kGif, "image/gif");
                      });
  server.start();

  // The user closes the crawl window once a few pictures have come in.
  int requestsAtClose = -1;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (requests >= 3 && requestsAtClose < 0) {
      requestsAtClose = requests;
      program->searchFrm().close();
    }
  });
  closer.start(10);
  crawlFromTheList(QStringLiteral("slow"), server.url("/slow/index.html"), QStringLiteral("0"));
  closer.stop();

  ASSERT_FALSE(timedOut);
  ASSERT_GE(requestsAtClose, 3);
  EXPECT_EQ(program->searchFrm().windowTitle(), QStringLiteral("スレッドを終了しています..."));
  EXPECT_FALSE(program->searchFrm().isVisible());
  EXPECT_FALSE(program->crawlSession().isLoaded());
  // The transfers already under way (the request, and up to 同時ダウンロード数
  // fetched ahead) may still reach the server; nothing new is asked for.
  QTest::qWait(500);
  const int underWay = requests.load();
  EXPECT_LE(underWay, requestsAtClose + 1 + kDefaultJobs);
  QTest::qWait(500);
  EXPECT_EQ(requests.load(), underWay);
  EXPECT_LT(requests.load(), kPictures);
  EXPECT_TRUE(shell.opened.empty());

  // The next crawl starts afresh in a newly loaded window.
  captions.clear();
  crawlFromTheList(QStringLiteral("slow2"), server.url("/slow/p1.gif"), QStringLiteral("0"));
  EXPECT_EQ(test::ReadFile(harvelFolder.path() / "slow2" / "p1.gif"), kGif);
  ASSERT_FALSE(captions.empty());
  EXPECT_EQ(captions.front(), QStringLiteral("巡回中・・・"));
}

TEST_F(DesktopEndToEnd, TheSettingsDialogsCookiesFileOpensAMembersSiteAndABadOneIsTold) {
  const auto member = [this](const httplib::Request& req) {
    ++requests;
    return req.get_header_value("Cookie").find("login=m3mber") != std::string::npos;
  };
  server.routes().Get("/m/index.html",
                      [member](const httplib::Request& req, httplib::Response& res) {
                        if (!member(req))
                          res.status = 403;
                        res.set_content("<img src=\"a.gif\">", "text/html");
                      });
  server.routes().Get("/m/a.gif", [member](const httplib::Request& req, httplib::Response& res) {
    if (!member(req))
      res.status = 403;
    res.set_content(kGif, "image/gif");
  });
  server.start();
  // The settings are kept in a folder of this test's own.
  test::TempFolder files;
  overrides.configFolder = QString::fromStdString(files.file("config"));
  program = std::make_unique<DesktopProgram>(harvelFolder.text(), overrides);
  program->start();
  const std::string cookies =
      files.write("cookies.txt", "127.0.0.1\tFALSE\t/m\tFALSE\t0\tlogin\tm3mber\n");
  QLineEdit* cookiesFile = program->mainFrm().settingsDialog().connection().cookiesFile()->edit();
  cookiesFile->setText(QString::fromStdString(cookies));

  crawlFromTheList(QStringLiteral("members"), server.url("/m/index.html"), QStringLiteral("1"));
  ASSERT_FALSE(timedOut);
  EXPECT_EQ(test::ReadFile(harvelFolder.path() / "members" / "a.gif"), kGif);
  EXPECT_TRUE(messages.empty());

  const int before = requests;
  cookiesFile->setText(QString::fromStdString(files.write("cookies.json", "{}")));
  crawlFromTheList(QStringLiteral("members2"), server.url("/m/index.html"), QStringLiteral("1"));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].startsWith(QStringLiteral("詳細設定の接続の設定を使えないため")))
      << messages[0].toStdString();
  EXPECT_TRUE(messages[0].contains(QStringLiteral("Netscape"))) << messages[0].toStdString();
  EXPECT_EQ(requests, before);
  EXPECT_FALSE(fs::exists(harvelFolder.path() / "members2"));
  EXPECT_FALSE(program->crawlSession().isLoaded());
}

TEST_F(DesktopEndToEnd, ExitClosesTheCrawlWindowAndTheDownloader) {
  ASSERT_TRUE(test::DownloaderAnswers());
  QAction* exit = nullptr;
  for (QAction* action : program->mainFrm().findChildren<QAction*>(QStringLiteral("IDM_EXIT"))) {
    exit = action;
  }
  ASSERT_NE(exit, nullptr);
  exit->trigger();
  EXPECT_TRUE(ended);
  EXPECT_FALSE(program->mainFrm().isVisible());
  EXPECT_TRUE(test::WaitUntilDownloaderAnswers(false, 10s));
}

}  // namespace
}  // namespace harvel::test
