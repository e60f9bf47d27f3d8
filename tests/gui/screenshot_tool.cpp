// Takes the pictures of the two windows for the documentation: the main window
// as it starts, and the crawl window in the middle of a crawl of a small site
// served on 127.0.0.1. Run under a display (scripts/take-screenshots starts one).
//
//   harvel_screenshot_tool OUTPUT_FOLDER
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <chrono>
#include <cstdio>
#include <thread>

#include "app/desktop_program.h"
#include "idle_services.h"
#include "temp_folder.h"
#include "test_site_server.h"

namespace {

using namespace std::chrono_literals;

bool Grab(QWidget& window, const QString& path) {
  const QRect frame = window.frameGeometry();
  const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(
      0, frame.x(), frame.y(), frame.width(), frame.height());
  const bool saved = picture.save(path);
  std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  return saved;
}

void Wait(std::chrono::milliseconds time) {
  QTimer timer;
  timer.start(time);
  QEventLoop loop;
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: harvel_screenshot_tool OUTPUT_FOLDER\n");
    return 2;
  }
  const QString output = QString::fromLocal8Bit(argv[1]);

  // A small picture gallery whose pictures come in slowly enough to be watched.
  harvel::test::TestSiteServer server;
  std::string index = "<html><body>\r\n";
  for (int i = 1; i <= 60; ++i) {
    index += "<a href=\"photo" + std::to_string(i) + ".html\"><img src=\"thumb" +
             std::to_string(i) + ".gif\"></a>\r\n";
  }
  server.routes().Get("/gallery/index.html",
                      [index](const httplib::Request&, httplib::Response& res) {
                        res.set_content(index, "text/html");
                      });
  server.routes().Get(R"(/gallery/.*)", [](const httplib::Request&, httplib::Response& res) {
    std::this_thread::sleep_for(120ms);
    res.set_content("GIF89a picture", "image/gif");
  });
  server.start();

  harvel::test::TempFolder folder;
  harvel::test::NoShell shell;
  harvel::DesktopOverrides overrides;
  overrides.programFolder = QCoreApplication::applicationDirPath().toStdString();
  overrides.shell = &shell;
  overrides.openUrl = [](const QUrl&) {};
  harvel::DesktopProgram program(folder.text(), overrides);
  program.start();
  harvel::MainFrm& mainFrm = program.mainFrm();
  mainFrm.move(40, 30);
  Wait(1500ms);
  int status = Grab(mainFrm, output + QStringLiteral("/screenshot-main.png")) ? 0 : 1;

  // Start a crawl the way a user does: fill in the target, add it, get files.
  mainFrm.findChild<QLineEdit*>(QStringLiteral("TitleTxt"))->setText(QStringLiteral("ギャラリー"));
  mainFrm.findChild<QLineEdit*>(QStringLiteral("URLTxt"))
      ->setText(QString::fromStdString(server.url("/gallery/index.html")));
  mainFrm.findChild<QLineEdit*>(QStringLiteral("LevelTxt"))->setText(QStringLiteral("1"));
  mainFrm.AddBtn_Click();
  auto* list = mainFrm.findChild<QTreeView*>(QStringLiteral("ListView1"));
  list->setCurrentIndex(list->model()->index(1, 0));
  mainFrm.ListView1_Click();

  QTimer shooter;
  shooter.setSingleShot(true);
  QObject::connect(&shooter, &QTimer::timeout, [&] {
    harvel::SearchFrm& search = program.searchFrm();
    search.move(300, 260);  // at the size each crawl opens it with
    Wait(1200ms);
    if (!Grab(search, output + QStringLiteral("/screenshot-crawl.png")))
      status = 1;
    mainFrm.close();  // exit: ends the crawl and closes the downloader
  });
  shooter.start(3s);
  QTimer::singleShot(0, &mainFrm, [&] { mainFrm.GetBtn_Click(); });
  app.exec();
  server.stop();
  return status;
}
