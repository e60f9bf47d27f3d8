// The crawl window's strip of the latest pictures: what lands is shown newest
// first, hostile pictures become the placeholder without taking memory, and a
// flood of pictures leaves the window responsive.
#include <gtest/gtest.h>
#include <zlib.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QRandomGenerator>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>
#include <string>

#include "crawl_window/search_frm.h"
#include "peak_memory.h"
#include "qstring_printer.h"

namespace harvel::test {
namespace {

using State = ThumbnailStrip::State;

RequestRecord Landed(const QString& path, const std::string& contentType) {
  RequestRecord record{"http://127.0.0.1/x", path.toStdString(), {}};
  record.outcome.contentType = contentType;
  record.outcome.detailed = true;
  return record;
}

// A picture of `size` with something on it; noisy ones take a while to read.
void SavePicture(const QString& path, QSize size, bool noisy = false) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(QColor(0x30, 0x80, 0xc0));
  if (noisy) {
    for (int y = 0; y < size.height(); ++y) {
      auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
      for (int x = 0; x < size.width(); ++x)
        line[x] = QRandomGenerator::global()->generate();
    }
  }
  QPainter(&image).fillRect(0, 0, size.width() / 2, size.height() / 2, Qt::yellow);
  const char* format = path.endsWith(QStringLiteral(".jpg"))   ? "JPEG"
                       : path.endsWith(QStringLiteral(".bmp")) ? "BMP"
                                                               : "PNG";
  ASSERT_TRUE(image.save(path, format)) << path.toStdString();
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QByteArray Chunk(const char* type, const QByteArray& data) {
  QByteArray chunk(4, '\0');
  qToBigEndian<quint32>(static_cast<quint32>(data.size()), chunk.data());
  const QByteArray body = QByteArray(type) + data;
  QByteArray crc(4, '\0');
  qToBigEndian<quint32>(
      static_cast<quint32>(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), body.size())),
      crc.data());
  return chunk + body + crc;
}

QByteArray PngHeader(quint32 width, quint32 height, char colourType) {
  QByteArray ihdr(13, '\0');
  qToBigEndian(width, ihdr.data());
  qToBigEndian(height, ihdr.data() + 4);
  ihdr[8] = 8;  // bits per sample
  ihdr[9] = colourType;
  return QByteArray("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", ihdr);
}

// A grey PNG of `side` × `side` black pixels: a few hundred kilobytes that
// unpack to side² bytes.
QByteArray PngBomb(quint32 side) {
  z_stream zip{};
  deflateInit(&zip, 9);
  const std::string row(side + 1, '\0');  // filter byte, then the samples
  QByteArray packed;
  char out[1 << 16];
  for (quint32 y = 0; y <= side; ++y) {
    const bool last = y == side;
    zip.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(row.data()));
    zip.avail_in = last ? 0 : static_cast<uInt>(row.size());
    do {
      zip.next_out = reinterpret_cast<Bytef*>(out);
      zip.avail_out = sizeof out;
      deflate(&zip, last ? Z_FINISH : Z_NO_FLUSH);
      packed.append(out, static_cast<qsizetype>(sizeof out - zip.avail_out));
    } while (zip.avail_out == 0);
  }
  deflateEnd(&zip);
  return PngHeader(side, side, 0) + Chunk("IDAT", packed) + Chunk("IEND", {});
}

class ThumbnailStripTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    frm.setThumbnailsShown(true);
    frm.loaded();
    frm.showWindow();
  }

  QString file(const char* name) const { return folder.filePath(QString::fromUtf8(name)); }
  ThumbnailStrip& strip() { return *frm.thumbnails(); }
  std::vector<QString> paths() {
    std::vector<QString> out;
    for (const auto& shown : strip().shown())
      out.push_back(shown.path);
    return out;
  }
  bool settled() {
    for (const auto& shown : strip().shown()) {
      if (shown.state == State::Waiting)
        return false;
    }
    return strip().decodesUnderWay() == 0;
  }

  QTemporaryDir folder;
  std::vector<std::string> opened;
  SearchFrm frm{
      SearchFrmServices{{}, {}, [this](const std::string& path) { opened.push_back(path); }}};
};

TEST_F(ThumbnailStripTest, PicturesThatLandAppearNewestFirstAndFollowTheWindow) {
  EXPECT_EQ(frm.size(), QSize(506, 249 + ThumbnailStrip::kHeight));
  const int bar = frm.findChild<QStatusBar*>(QStringLiteral("StatusBar1"))->height();
  EXPECT_EQ(strip().geometry(),
            QRect(0, frm.height() - bar - ThumbnailStrip::kHeight, 506, ThumbnailStrip::kHeight));
  EXPECT_EQ(frm.listView()->geometry(), QRect(0, 0, 506, 249 - bar));

  SavePicture(file("wide.png"), {300, 150});
  SavePicture(file("tall.jpg"), {100, 400});
  SavePicture(file("photo"), {50, 50});
  SavePicture(file("old.bmp"), {20, 10});
  Write(file("page.html"), "<html></html>");
  RequestRecord failed = Landed(file("gone.png"), "image/png");
  failed.outcome.landed = false;

  frm.requestEnded(Landed(file("wide.png"), "image/png"));
  frm.requestEnded(Landed(file("page.html"), "text/html; charset=utf-8"));
  frm.requestEnded(Landed(file("tall.jpg"), ""));  // told by its name
  frm.requestEnded(failed);
  frm.requestEnded(Landed(file("photo"), "Image/PNG"));
  frm.requestEnded(Landed(file("old.bmp"), "application/octet-stream"));
  frm.requestEnded(Landed(file("notes.txt"), ""));
  ASSERT_TRUE(QTest::qWaitFor([this] { return settled(); }, 10000));

  EXPECT_EQ(paths(), (std::vector<QString>{file("old.bmp"), file("photo"), file("tall.jpg"),
                                           file("wide.png")}));
  for (const auto& shown : strip().shown())
    EXPECT_EQ(shown.state, State::Drawn) << shown.path.toStdString();
  EXPECT_EQ(strip().shown()[3].thumbnail.image.size(), QSize(96, 48));
  EXPECT_EQ(strip().shown()[2].thumbnail.image.size(), QSize(24, 96));
  EXPECT_EQ(strip().shown()[0].thumbnail.image.size(),
            QSize(20, 10));  // small ones keep their size
  EXPECT_EQ(strip().toolTipAt(3),
            QStringLiteral("wide.png\n300 × 150 ピクセル、%1 バイト")
                .arg(QLocale(QLocale::Japanese).toString(QFileInfo(file("wide.png")).size())));

  // A double click opens the picture under it.
  const QPoint second = QPoint(
      ThumbnailStrip::kGap + ThumbnailStrip::kBox + ThumbnailStrip::kGap + ThumbnailStrip::kBox / 2,
      ThumbnailStrip::kHeight / 2);
  QTest::mouseDClick(&strip(), Qt::LeftButton, {}, second);
  EXPECT_EQ(opened, std::vector<std::string>{file("photo").toStdString()});

  // As many as the width holds: a narrower window keeps the newest only.
  EXPECT_EQ(strip().capacity(), 5);
  frm.resize(250, frm.height());
  EXPECT_EQ(paths(), (std::vector<QString>{file("old.bmp"), file("photo")}));
  frm.resize(1000, frm.height());
  EXPECT_EQ(strip().capacity(), 9);
  frm.requestEnded(Landed(file("wide.png"), "image/png"));
  EXPECT_EQ(paths().size(), 3u);

  // Off, the window is as designed and pictures are not read.
  frm.setThumbnailsShown(false);
  frm.loaded();
  EXPECT_EQ(frm.size(), QSize(506, 249));
  EXPECT_EQ(frm.listView()->geometry(), QRect(0, 0, 506, 249 - bar));
  EXPECT_FALSE(strip().isVisible());
  frm.requestEnded(Landed(file("wide.png"), "image/png"));
  EXPECT_TRUE(strip().shown().empty());
}

TEST_F(ThumbnailStripTest, HostilePicturesShowThePlaceholderWithoutTakingMemory) {
  Write(file("corrupt.png"), QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(4000, 'x'));
  Write(file("claims.png"),
        PngHeader(60000, 60000, 6) + Chunk("IDAT", QByteArray(64, 'x')) + Chunk("IEND", {}));
  Write(file("bomb.png"), PngBomb(5000));  // read as 100 MB of pixels
  Write(file("screen.gif"),
        QByteArray("GIF89a\xff\xff\xff\xff\x00\x00\x00", 13) +
            QByteArray(",\0\0\0\0\xff\xff\xff\xff\x00\x02\x02\x44\x01\x00;", 17));
  Write(file("drawing.svg"),
        "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'>"
        "<rect width='10' height='10'/></svg>");
  Write(file("cut.png"), PngHeader(64, 64, 2));  // nothing after the header
  const bool peakReset = ResetPeakMemory();
  const qint64 before = PeakMemory();

  for (const char* name :
       {"corrupt.png", "claims.png", "bomb.png", "screen.gif", "drawing.svg", "cut.png"}) {
    frm.requestEnded(Landed(file(name), ""));
  }
  ASSERT_TRUE(QTest::qWaitFor([this] { return settled(); }, 20000));
  ASSERT_EQ(strip().shown().size(), 5u);  // the window holds five
  for (const auto& shown : strip().shown())
    EXPECT_EQ(shown.state, State::Unreadable) << shown.path.toStdString();
  EXPECT_TRUE(strip().toolTipAt(3).startsWith(
      QStringLiteral("bomb.png\n5000 × 5000 ピクセル、表示できない画像、")))
      << strip().toolTipAt(3).toStdString();
  if (peakReset) {
    EXPECT_LT(PeakMemory() - before, qint64(48) << 20);
  }
  frm.resize(700, frm.height());
  frm.requestEnded(Landed(file("claims.png"), "image/png"));
  ASSERT_TRUE(QTest::qWaitFor([this] { return settled(); }, 10000));
  EXPECT_EQ(strip().toolTipAt(0).toStdString(),
            "claims.png\n60000 × 60000 ピクセル、表示できない画像、" +
                std::to_string(QFileInfo(file("claims.png")).size()) + " バイト");
}

TEST_F(ThumbnailStripTest, FiveHundredPicturesInOneSecondLeaveTheWindowResponsive) {
  std::vector<QString> pictures;
  for (int i = 0; i < 6; ++i) {
    pictures.push_back(file(i % 2 == 0 ? "p%1.png" : "p%1.jpg").arg(i));
    SavePicture(pictures.back(), {900, 700}, true);
  }
  constexpr int kPictures = 500;
  std::vector<QString> fed;
  QElapsedTimer clock;
  clock.start();
  QTimer feeder;
  QObject::connect(&feeder, &QTimer::timeout, [&] {
    const qint64 due = std::min<qint64>(kPictures, clock.elapsed() / 2 + 1);
    while (static_cast<qint64>(fed.size()) < due) {
      fed.push_back(pictures[fed.size() % pictures.size()]);
      frm.requestEnded(Landed(fed.back(), "image/png"));
    }
    if (static_cast<int>(fed.size()) == kPictures)
      feeder.stop();
  });
  // The event loop runs until every picture has come and the strip is still,
  // measuring the longest time between two of its turns.
  QEventLoop loop;
  qint64 longestGap = 0;
  QElapsedTimer sinceTurn;
  sinceTurn.start();
  QTimer turns;
  turns.setTimerType(Qt::PreciseTimer);
  QObject::connect(&turns, &QTimer::timeout, [&] {
    longestGap = std::max(longestGap, sinceTurn.restart());
    if (static_cast<int>(fed.size()) == kPictures && settled())
      loop.quit();
  });
  QTimer::singleShot(30000, &loop, &QEventLoop::quit);
  turns.start(1);
  feeder.start(1);
  loop.exec();
  turns.stop();
  ASSERT_EQ(static_cast<int>(fed.size()), kPictures);
  ASSERT_TRUE(settled());

  EXPECT_LT(longestGap, 200);
  EXPECT_LT(clock.elapsed(), 10000);
  const std::vector<QString> newest(fed.rbegin(), fed.rbegin() + strip().capacity());
  EXPECT_EQ(paths(), newest);
  for (const auto& shown : strip().shown())
    EXPECT_EQ(shown.state, State::Drawn);
}

}  // namespace
}  // namespace harvel::test
