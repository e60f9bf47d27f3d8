#include "picture_header/picture_header_reader.h"

#include <algorithm>

#include "common/picture_format.h"
#include "picture_header/fixed_headers.h"
#include "picture_header/gif_header.h"
#include "picture_header/heif_header.h"
#include "picture_header/ico_header.h"
#include "picture_header/jpeg_header.h"

namespace harvel {
namespace {

// Enough of the start to tell the formats apart.
constexpr std::size_t kSignature = kPictureSignatureLength;
// No header asks for more at once (a HEIF property table is the longest).
constexpr std::size_t kLongestLook = 65536;

struct Format {
  PictureFormat format;
  std::unique_ptr<FormatHeader> header;
};

std::optional<Format> FormatOf(std::span<const std::uint8_t> start) {
  const std::optional<PictureFormat> format = PictureFormatOfSignature(start);
  if (!format)
    return std::nullopt;
  switch (*format) {
    case PictureFormat::Gif:
      return Format{*format, std::make_unique<GifHeader>()};
    case PictureFormat::Png:
      return Format{*format, std::make_unique<FixedHeader>(PngSize, kPngHeader)};
    case PictureFormat::Jpeg:
      return Format{*format, std::make_unique<JpegHeader>()};
    case PictureFormat::Webp:
      return Format{*format, std::make_unique<WebpHeader>()};
    case PictureFormat::Heif:
    case PictureFormat::Avif:
      return Format{*format, std::make_unique<HeifHeader>()};
    case PictureFormat::Bmp:
      return Format{*format, std::make_unique<FixedHeader>(BmpSize, kBmpHeader)};
    case PictureFormat::Ico:
      return Format{*format, std::make_unique<IcoHeader>()};
    case PictureFormat::Svg:
      break;  // text, told by no signature
  }
  return std::nullopt;
}

}  // namespace

PictureHeaderReader::PictureHeaderReader() : wanted_(kSignature) {}
PictureHeaderReader::~PictureHeaderReader() = default;

PictureHeaderReader::Answer PictureHeaderReader::Feed(std::span<const std::uint8_t> bytes) {
  while (answer_ == Answer::NeedMore && !bytes.empty()) {
    if (skip_ > 0) {
      const std::size_t passed =
          static_cast<std::size_t>(std::min<std::uint64_t>(skip_, bytes.size()));
      skip_ -= passed;
      bytes = bytes.subspan(passed);
      continue;
    }
    const std::size_t taken = std::min(wanted_ - held_.size(), bytes.size());
    held_.insert(held_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(taken));
    bytes = bytes.subspan(taken);
    // A look may ask for bytes already held, so look as long as they suffice.
    while (answer_ == Answer::NeedMore && skip_ == 0 && held_.size() >= wanted_)
      Look();
  }
  return answer_;
}

void PictureHeaderReader::Look() {
  const std::span<const std::uint8_t> bytes(held_.data(), wanted_);
  if (!header_) {
    std::optional<Format> format = FormatOf(bytes);
    if (!format) {
      answer_ = Answer::NotKnown;
      return;
    }
    format_ = format->format;
    header_ = std::move(format->header);
    const HeaderStep first = header_->First();
    Take(first.advance, first.read);
    return;
  }
  const HeaderStep step = header_->Look(bytes, offset_);
  switch (step.kind) {
    case HeaderStep::Kind::Read:
      Take(step.advance, step.read);
      return;
    case HeaderStep::Kind::Size:
      answer_ = Answer::Size;
      size_ = step.size;
      turned_ = step.turned;
      wholePictureKept_ = step.wholePictureKept;
      break;
    case HeaderStep::Kind::NotKnown:
      answer_ = Answer::NotKnown;
      break;
  }
  header_.reset();
  held_ = {};
}

void PictureHeaderReader::Take(std::uint64_t advance, std::size_t read) {
  // Bytes past the first 1 MiB are never waited for.
  if (read == 0 || read > kLongestLook || advance > kReadLimit ||
      offset_ + advance + read > kReadLimit) {
    answer_ = Answer::NotKnown;
    header_.reset();
    held_ = {};
    return;
  }
  if (advance <= held_.size()) {
    held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(advance));
  } else {
    skip_ = advance - held_.size();
    held_.clear();
  }
  offset_ += advance;
  wanted_ = read;
}

}  // namespace harvel
