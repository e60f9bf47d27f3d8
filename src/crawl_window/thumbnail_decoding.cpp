#include "crawl_window/thumbnail_decoding.h"

#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <climits>
#include <mutex>
#include <optional>

#include "picture_header/picture_header_reader.h"

namespace harvel {
namespace {

// The formats drawn, by the name of their reader in Qt; the others (HEIF, AVIF) are not.
const char* DrawnFormat(PictureFormat format) {
  switch (format) {
    case PictureFormat::Gif:
      return "gif";
    case PictureFormat::Png:
      return "png";
    case PictureFormat::Jpeg:
      return "jpeg";
    case PictureFormat::Webp:
      return "webp";
    case PictureFormat::Bmp:
      return "bmp";
    case PictureFormat::Ico:
      return "ico";
    case PictureFormat::Heif:
    case PictureFormat::Avif:
    case PictureFormat::Svg:
      return nullptr;
  }
  return nullptr;
}

// The file's header as the crawl reads it, from its first bytes: the one
// reading that decides both the size and whether the picture is drawn.
std::optional<PictureHeaderReader::Answer> ReadHeader(QFile& file, PictureHeaderReader& header) {
  const QByteArray start = file.read(static_cast<qint64>(PictureHeaderReader::kReadLimit));
  if (!file.seek(0))
    return std::nullopt;
  return header.Feed(std::string_view(start.constData(), static_cast<std::size_t>(start.size())));
}

// The memory reading the picture takes at least, from its header alone.
qint64 MemoryToRead(const PictureHeaderReader& header) {
  const qint64 area = qint64(header.size().width) * header.size().height;
  if (header.format() == PictureFormat::Jpeg) {
    // A sequential JPEG is read at down to an eighth of its width and height;
    // a progressive one keeps every coefficient, about six bytes a pixel,
    // whatever the scale asked for.
    return header.wholePictureKept() ? area * 6 : area / 64 * 4;
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
  PictureHeaderReader header;
  if (ReadHeader(file, header) != PictureHeaderReader::Answer::Size)
    return thumbnail;
  const char* format = DrawnFormat(*header.format());
  if (format == nullptr)
    return thumbnail;
  const auto shown =
      QSize(static_cast<int>(std::min<std::uint32_t>(header.size().width, INT_MAX)),
            static_cast<int>(std::min<std::uint32_t>(header.size().height, INT_MAX)));
  thumbnail.pixels = shown;
  if (MemoryToRead(header) > kThumbnailMemoryLimit)
    return thumbnail;

  // Read by the format the header told, never one Qt guesses otherwise.
  QImageReader reader(&file, format);
  reader.setDecideFormatFromContent(false);
  reader.setAutoTransform(true);
  // Fitted into the box (scaled as stored, then turned); a smaller one keeps its size.
  const QSize stored = header.turned() ? shown.transposed() : shown;
  if (stored.width() > box || stored.height() > box)
    reader.setScaledSize(stored.scaled(box, box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
  QImage image;
  if (reader.read(&image))
    thumbnail.image = std::move(image);
  return thumbnail;
}

}  // namespace harvel
