// Takes the pictures of the two windows for the documentation: the main window
// as it starts, and the crawl window in the middle of a crawl of a small site
// served on 127.0.0.1, as designed and with its strip of thumbnails. Run under a
// display (scripts/take-screenshots starts one), in the language the
// environment chooses (HARVEL_LANGUAGE).
//
//   harvel_screenshot_tool OUTPUT_FOLDER [SUFFIX]    (screenshot-main-SUFFIX.png ...)
#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QTreeView>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "app/desktop_program.h"
#include "app/window_language.h"
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

// A small landscape in JPEG: sky, sun and hills in colours of its own.
std::string Photo(int n) {
  const QSize size = n % 3 == 0 ? QSize(300, 400) : QSize(480, 320);
  QImage image(size, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const int hue = (n * 47) % 360;
  QLinearGradient sky(0, 0, 0, size.height());
  sky.setColorAt(0, QColor::fromHsv(hue, 120, 250));
  sky.setColorAt(1, QColor::fromHsv((hue + 40) % 360, 60, 255));
  painter.fillRect(image.rect(), sky);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor::fromHsv((hue + 180) % 360, 200, 255));
  painter.drawEllipse(QPoint(size.width() * (2 + n % 5) / 8, size.height() / 4), 40, 40);
  for (int hill = 0; hill < 3; ++hill) {
    QPainterPath path;
    const int base = size.height() * (5 + hill) / 9;
    path.moveTo(0, size.height());
    path.lineTo(0, base);
    path.cubicTo(size.width() / 3, base - 90 + hill * 30, size.width() * 2 / 3,
                 base + 60 - (n % 4) * 20, size.width(), base - 20);
    path.lineTo(size.width(), size.height());
    painter.setBrush(QColor::fromHsv((hue + 90 + hill * 25) % 360, 160, 180 - hill * 40));
    painter.drawPath(path);
  }
  painter.end();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPEG", 85);
  return bytes.toStdString();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: harvel_screenshot_tool OUTPUT_FOLDER [SUFFIX]\n");
    return 2;
  }
  const QString output = QString::fromLocal8Bit(argv[1]);
  const QString suffix = argc == 3 ? QLatin1Char('-') + QString::fromLocal8Bit(argv[2]) : QString();
  const auto picture = [&output, &suffix](const char* name) {
    return output + QStringLiteral("/screenshot-") + QLatin1String(name) + suffix +
           QStringLiteral(".png");
  };
  const bool english = harvel::WindowLanguageOfEnvironment() == harvel::WindowLanguage::English;

  // A small picture gallery whose pictures come in slowly enough to be watched,
  // even six at a time.
  harvel::test::TestSiteServer server;
  std::string index = "<html><body>\r\n";
  for (int i = 1; i <= 60; ++i) {
    index += "<a href=\"photo" + std::to_string(i) + ".html\"><img src=\"photo" +
             std::to_string(i) + ".jpg\"></a>\r\n";
  }
  server.routes().Get("/gallery/index.html",
                      [index](const httplib::Request&, httplib::Response& res) {
                        res.set_content(index, "text/html");
                      });
  std::vector<std::string> photos;
  for (int i = 0; i <= 60; ++i)
    photos.push_back(Photo(i));
  server.routes().Get(R"(/gallery/photo(\d+)\.jpg)",
                      [&photos](const httplib::Request& req, httplib::Response& res) {
                        std::this_thread::sleep_for(600ms);
                        const auto n = std::stoul(req.matches[1].str());
                        res.set_content(photos[std::min<std::size_t>(n, 60)], "image/jpeg");
                      });
  server.routes().Get(R"(/gallery/.*\.html)", [](const httplib::Request&, httplib::Response& res) {
    std::this_thread::sleep_for(600ms);
    res.set_content("<html></html>", "text/html");
  });
  server.start();

  harvel::test::TempFolder folder;
  harvel::test::NoShell shell;
  harvel::DesktopOverrides overrides;
  overrides.programFolder = QCoreApplication::applicationDirPath().toStdString();
  overrides.shell = &shell;
  overrides.openUrl = [](const QUrl&) {};
  // The settings as they are at first, whatever the user has set.
  harvel::test::TempFolder config;
  overrides.configFolder = QString::fromStdString(config.text());
  harvel::test::TempFolder data;  // and the collection list as at a first start
  overrides.dataFolder = QString::fromStdString(data.text());
  harvel::DesktopProgram program(folder.text(), overrides);
  program.start();
  harvel::MainFrm& mainFrm = program.mainFrm();
  mainFrm.move(40, 30);
  Wait(1500ms);
  int status = Grab(mainFrm, picture("main")) ? 0 : 1;

  // Start a crawl the way a user does: fill in the target, add it, get files.
  mainFrm.findChild<QLineEdit*>(QStringLiteral("TitleTxt"))
      ->setText(english ? QStringLiteral("Gallery") : QStringLiteral("ギャラリー"));
  mainFrm.findChild<QLineEdit*>(QStringLiteral("URLTxt"))
      ->setText(QString::fromStdString(server.url("/gallery/index.html")));
  mainFrm.findChild<QLineEdit*>(QStringLiteral("LevelTxt"))->setText(QStringLiteral("1"));
  mainFrm.AddBtn_Click();
  auto* list = mainFrm.findChild<QTreeView*>(QStringLiteral("ListView1"));
  list->setCurrentIndex(list->model()->index(1, 0));
  mainFrm.ListView1_Click();

  // The crawl window as designed, then, in a second crawl, with its thumbnails.
  harvel::SearchFrm& search = program.searchFrm();
  QTimer shooter;
  shooter.setSingleShot(true);
  QObject::connect(&shooter, &QTimer::timeout, [&] {
    search.move(300, 260);  // at the size each crawl opens it with
    Wait(1200ms);
    if (!Grab(search, picture("crawl")))
      status = 1;
    search.close();  // ends the first crawl
    QTimer::singleShot(500ms, &mainFrm, [&] {
      search.setThumbnailsShown(true);
      QTimer::singleShot(3s, &mainFrm, [&] {
        search.move(300, 200);
        Wait(800ms);
        if (!Grab(search, picture("thumbnails")))
          status = 1;
        mainFrm.close();  // exit: ends the crawl and closes the downloader
      });
      mainFrm.GetBtn_Click();
    });
  });
  shooter.start(3s);
  QTimer::singleShot(0, &mainFrm, [&] { mainFrm.GetBtn_Click(); });
  app.exec();
  server.stop();
  return status;
}
