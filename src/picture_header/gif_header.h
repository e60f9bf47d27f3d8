#pragma once

#include "picture_header/header_step.h"

namespace harvel {

// A GIF's size: its logical screen, made as wide and as high as its first
// frame where that frame is larger (a browser shows the whole frame). The
// reader passes over the colour table and the extension blocks before the
// frame; a file whose first frame cannot be found within its first 1 MiB is
// judged by its screen alone, and one of no screen and no frame is not known.
class GifHeader : public FormatHeader {
 public:
  HeaderStep First() const override { return HeaderStep::Read(0, 13); }
  HeaderStep Look(std::span<const std::uint8_t> bytes, std::uint64_t offset) override;

 private:
  enum class Expect { Screen, Block, Label, SubBlock, Frame };
  // The next read, or the screen's size when it would go past the first 1 MiB.
  HeaderStep Next(Expect expect, std::uint64_t offset, std::uint64_t advance, std::size_t read);
  HeaderStep ScreenSize() const { return HeaderStep::Size(screen_.width, screen_.height); }

  Expect expect_ = Expect::Screen;
  PictureSize screen_;
};

}  // namespace harvel
