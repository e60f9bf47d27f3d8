// Reading one picture small for the strip: the crawl's own header reader
// decides, so that no JPEG can pass for smaller or cheaper than it is.
#include "crawl_window/thumbnail_decoding.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "peak_memory.h"
#include "qstring_printer.h"

namespace harvel::test {
namespace {

QByteArray Be16(int value) {
  return QByteArray(1, char(value >> 8)) + char(value & 0xff);
}

QByteArray Segment(char marker, const QByteArray& payload) {
  return QByteArray("\xff", 1) + marker + Be16(int(payload.size()) + 2) + payload;
}

// A grey JPEG of `side` × `side`, every block flat: the one Huffman code "0"
// stands for "no change" and for the end of a block, so the picture data is
// zero bytes, two bits a block (one in the DC scan of a progressive picture).
// `before` comes between the start and the frame header.
QByteArray FlatJpeg(int side, bool progressive, const QByteArray& before = {},
                    qsizetype dataLimit = -1) {
  const QByteArray oneCode = QByteArray(1, '\x01') + QByteArray(15, '\0') + QByteArray(1, '\0');
  const qsizetype blocks = qsizetype(side / 8) * (side / 8);
  qsizetype dataBytes = progressive ? (blocks + 7) / 8 : (blocks * 2 + 7) / 8;
  if (dataLimit >= 0)
    dataBytes = std::min(dataBytes, dataLimit);
  return QByteArray("\xff\xd8", 2) + before +
         Segment('\xdb', QByteArray(1, '\0') + QByteArray(64, '\x01')) +
         Segment(progressive ? '\xc2' : '\xc0',
                 QByteArray(1, 8) + Be16(side) + Be16(side) + QByteArray("\x01\x01\x11\x00", 4)) +
         Segment('\xc4', QByteArray(1, '\x00') + oneCode) +
         Segment('\xc4', QByteArray(1, '\x10') + oneCode) +
         Segment('\xda', QByteArray("\x01\x01\x00\x00", 4) + char(progressive ? 0 : 63) +
                             QByteArray(1, '\0')) +
         QByteArray(dataBytes, '\0') + QByteArray("\xff\xd9", 2);
}

class ThumbnailDecodingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    LimitPictureReading();
  }
  QString write(const char* name, const QByteArray& bytes) {
    const QString path = folder.filePath(QString::fromUtf8(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }

  QTemporaryDir folder;
};

TEST_F(ThumbnailDecodingTest, AProgressiveJpegHiddenBehindFillBytesGetsThePlaceholderCheaply) {
  // A fill byte after the start, then an APP1 block whose length, read from
  // the wrong byte, lands on a small baseline frame header planted inside
  // it; the real frame is progressive, 8000 × 8000: 128 MB of coefficients.
  const QByteArray plantedFrame =
      Segment('\xc0', QByteArray(1, 8) + Be16(16) + Be16(16) + QByteArray("\x01\x01\x11\x00", 4));
  QByteArray app1(0xf000 - 2, 'x');
  app1.replace(57844 - 7, plantedFrame.size(), plantedFrame);
  const QString path = write(
      "hidden.jpg", FlatJpeg(8000, true, QByteArray("\xff", 1) + Segment('\xe1', app1), 4096));
  ASSERT_LT(QFile(path).size(), 70000);

  const bool peakReset = ResetPeakMemory();
  const qint64 before = PeakMemory();
  const Thumbnail thumbnail = DecodeThumbnail(path, 96);
  EXPECT_TRUE(thumbnail.image.isNull());
  EXPECT_EQ(thumbnail.pixels, QSize(8000, 8000));
  if (peakReset) {
    EXPECT_LT(PeakMemory() - before, qint64(48) << 20);
  }
}

TEST_F(ThumbnailDecodingTest, ALargeSequentialJpegIsDrawnAndAProgressiveOneOfItsSizeIsNot) {
  // 3000 × 3000: a sequential one is read at an eighth of its sides (2 MB),
  // a progressive one would keep 54 MB of coefficients.
  const Thumbnail sequential = DecodeThumbnail(write("sequential.jpg", FlatJpeg(3000, false)), 96);
  EXPECT_EQ(sequential.image.size(), QSize(96, 96));
  const Thumbnail progressive = DecodeThumbnail(write("progressive.jpg", FlatJpeg(3000, true)), 96);
  EXPECT_TRUE(progressive.image.isNull());
  EXPECT_EQ(progressive.pixels, QSize(3000, 3000));
}

TEST_F(ThumbnailDecodingTest, APhotoIsDrawnTurnedAsItsOrientationSays) {
  const Thumbnail thumbnail =
      DecodeThumbnail(QStringLiteral(HARVEL_PICTURE_SAMPLES "/rotated.jpg"), 96);
  EXPECT_EQ(thumbnail.pixels, QSize(23, 37));
  EXPECT_EQ(thumbnail.image.size(), QSize(23, 37));
}

}  // namespace
}  // namespace harvel::test
