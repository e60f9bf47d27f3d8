#include "crawl_window/thumbnail_decoding.h"

#include <QFile>
#include <QImageReader>
#include <mutex>

namespace harvel {
namespace {

// The formats drawn, as QImageReader names them.
bool IsDrawnFormat(const QByteArray& format) {
  static const QByteArrayList kDrawn = {"png", "jpeg", "jpg", "gif", "bmp", "webp", "ico"};
  return kDrawn.contains(format.toLower());
}

// True when a JPEG is not plain sequential: libjpeg then keeps the whole
// picture's coefficients while it reads (about six bytes a pixel, whatever
// the scale asked for). Follows the markers up to the frame header.
bool JpegKeepsWholePicture(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || !file.seek(2))
    return true;
  for (int segments = 0; segments < 256; ++segments) {
    char head[4];
    if (file.read(head, 4) != 4 || static_cast<unsigned char>(head[0]) != 0xff)
      return true;
    const auto marker = static_cast<unsigned char>(head[1]);
    if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc)
      return marker != 0xc0 && marker != 0xc1;  // baseline and extended sequential
    const int length =
        (static_cast<unsigned char>(head[2]) << 8) | static_cast<unsigned char>(head[3]);
    if (length < 2 || !file.seek(file.pos() + length - 2))
      return true;
  }
  return true;
}

// The memory reading the picture takes at least, from its header alone.
qint64 MemoryToRead(const QByteArray& format, QSize pixels, const QString& path) {
  const qint64 area = qint64(pixels.width()) * pixels.height();
  if (format == "jpeg" || format == "jpg") {
    // A sequential JPEG is read at down to an eighth of its width and height.
    return JpegKeepsWholePicture(path) ? area * 6 : area / 64 * 4;
  }
  return area * 4;
}

}  // namespace

void LimitPictureReading() {
  static std::once_flag once;
  std::call_once(once, [] {
    QImageReader::setAllocationLimit(static_cast<int>(kThumbnailMemoryLimit >> 20));
  });
}

Thumbnail DecodeThumbnail(const QString& path, int box) {
  Thumbnail thumbnail;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return thumbnail;
  thumbnail.bytes = file.size();
  QImageReader reader(&file);
  reader.setDecideFormatFromContent(true);
  const QByteArray format = reader.format();
  if (!IsDrawnFormat(format))
    return thumbnail;
  const QSize pixels = reader.size();
  if (!pixels.isValid() || pixels.isEmpty())
    return thumbnail;
  thumbnail.pixels = pixels;
  if (MemoryToRead(format, pixels, path) > kThumbnailMemoryLimit)
    return thumbnail;

  // Fitted into the box; a smaller picture keeps its own size.
  if (pixels.width() > box || pixels.height() > box)
    reader.setScaledSize(pixels.scaled(box, box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
  QImage image;
  if (reader.read(&image))
    thumbnail.image = std::move(image);
  return thumbnail;
}

}  // namespace harvel
