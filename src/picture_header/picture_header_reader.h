#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "common/picture_format.h"
#include "common/picture_size.h"
#include "picture_header/header_step.h"

namespace harvel {

// Reads a picture's width and height from the first bytes of its file, fed in
// pieces of any size as they arrive: GIF, PNG, JPEG, WebP, AVIF and HEIC, BMP,
// ICO. It reads only the bytes it is given, keeps only the few it still needs,
// and decodes nothing: a header that claims 60000 × 60000 is that size. A file
// it does not know (SVG, a page, a damaged header) or whose size is not within
// its first 1 MiB is "not known", never a guess.
//
// The size is the picture as a browser shows it: a JPEG's EXIF orientation and
// a HEIF picture's rotation (irot) and crop (clap) applied, an icon's PNG
// pictures by their own headers, a GIF as large as its first frame.
class PictureHeaderReader {
 public:
  enum class Answer { NeedMore, Size, NotKnown };

  static constexpr std::uint64_t kReadLimit = kHeaderReadLimit;

  PictureHeaderReader();
  ~PictureHeaderReader();
  PictureHeaderReader(const PictureHeaderReader&) = delete;
  PictureHeaderReader& operator=(const PictureHeaderReader&) = delete;

  // Takes the next bytes of the file; once answered, further bytes change nothing.
  Answer Feed(std::span<const std::uint8_t> bytes);
  Answer Feed(std::string_view bytes) {
    return Feed(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  }

  Answer answer() const { return answer_; }
  PictureSize size() const { return size_; }  // when answer() is Size
  // What the first bytes said, once they have come; nullopt for no picture.
  std::optional<PictureFormat> format() const { return format_; }
  // With a size: the picture is stored with width and height swapped.
  bool turned() const { return turned_; }
  // With a size: a progressive (or other not plain sequential) JPEG, whose
  // decoder keeps the whole picture's coefficients however small it is drawn.
  bool wholePictureKept() const { return wholePictureKept_; }

 private:
  void Take(std::uint64_t advance, std::size_t read);
  void Look();

  std::unique_ptr<FormatHeader> header_;  // null until the first bytes say which
  std::optional<PictureFormat> format_;
  std::vector<std::uint8_t> held_;  // bytes from offset_ on, not yet moved past
  std::uint64_t offset_ = 0;        // where held_ starts in the file
  std::uint64_t skip_ = 0;          // bytes to pass over before held_ fills again
  std::size_t wanted_;              // held_ bytes the next look needs
  Answer answer_ = Answer::NeedMore;
  PictureSize size_;
  bool turned_ = false;
  bool wholePictureKept_ = false;
};

}  // namespace harvel
