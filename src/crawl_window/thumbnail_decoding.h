#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace harvel {

// A picture read small for the crawl window's strip.
struct Thumbnail {
  QImage image;      // fits the box, aspect kept; null when the picture cannot be read
  QSize pixels;      // the picture's own size, when its header could be read
  qint64 bytes = 0;  // the file's size
};

// How much memory one picture may take while it is read.
constexpr qint64 kThumbnailMemoryLimit = qint64(32) << 20;

// Reads the picture at `path` scaled to fit `box` × `box` pixels (a smaller
// one as it is), turned as its EXIF orientation says. Only PNG, JPEG, GIF,
// BMP, WebP and ICO are read, told by their first bytes through the crawl's own
// header reader (PictureHeaderReader), not their name; SVG is never drawn
// (drawing runs the whole document, which no memory limit bounds). A picture
// whose header asks for more memory than kThumbnailMemoryLimit (a progressive
// JPEG counts all its coefficients), a corrupt or cut-off one gives a null
// image; `pixels` is then the size the header gave, as the picture is shown.
// Safe on any thread once LimitPictureReading() has run.
Thumbnail DecodeThumbnail(const QString& path, int box);

// Sets Qt's own limit on the memory of a picture being read to
// kThumbnailMemoryLimit, for the whole program; once, before the first decode.
void LimitPictureReading();

}  // namespace harvel
