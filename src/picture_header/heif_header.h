#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "picture_header/header_step.h"

namespace harvel {

// The size of a HEIF picture (AVIF, HEIC): the `ispe` property of its primary
// item, with the item's crop (`clap`) and rotation (`irot`) applied in the
// order they are listed, as the picture is shown (a mirror, `imir`, keeps the
// sides). The reader walks the boxes: `ftyp` must name a HEIF brand; in the top
// `meta` box it takes the primary item (`pitm`), the properties (`iprp`/`ipco`)
// and which belong to which item (`ipma`), and skips every other box unread.
// A file whose primary item has no `ispe` by the end of `meta` is not known; a
// crop that is no whole number of pixels within the picture is not applied.
class HeifHeader : public FormatHeader {
 public:
  HeaderStep First() const override { return HeaderStep::Read(0, 8); }
  HeaderStep Look(std::span<const std::uint8_t> bytes, std::uint64_t offset) override;

 private:
  enum class Expect { BoxHeader, LongBoxHeader, Ftyp, Pitm, Ispe, Irot, Clap, Ipma };
  struct OpenBox {
    std::uint32_t type;
    std::uint64_t end;
  };
  // A property that tells the size: an extent, a rotation or a crop.
  struct Property {
    enum class Kind { Extent, Rotation, Crop };
    std::uint32_t number;  // its place in ipco, from 1
    Kind kind;
    PictureSize size;          // an extent, or the crop's sides
    std::uint8_t quarters{0};  // a rotation: quarter turns
  };

  HeaderStep Box(std::uint32_t type, std::uint64_t offset, std::uint64_t headerLength,
                 std::uint64_t length);
  HeaderStep NextBox(std::uint64_t at, std::uint64_t offset);
  std::uint32_t parent() const { return open_.empty() ? 0 : open_.back().type; }
  // The answer when pitm, ipco and ipma have been read, or the next box.
  HeaderStep Settle(std::uint64_t offset);
  // The primary item's size, or not known, once pitm, ipco and ipma have been
  // read; nullopt before.
  std::optional<HeaderStep> PrimarySize() const;
  void Keep(const Property& property);
  const Property* Find(std::uint32_t number) const;

  Expect expect_ = Expect::BoxHeader;
  std::vector<OpenBox> open_;  // meta, iprp, ipco as they are entered
  std::uint64_t boxEnd_ = 0;   // the end of the box whose payload is looked at
  bool brandSeen_ = false;
  bool metaSeen_ = false;
  bool propertiesRead_ = false;
  std::uint32_t properties_ = 0;
  std::optional<std::uint32_t> primary_;
  std::vector<Property> sizing_;
  std::vector<std::uint8_t> associations_;  // the ipma payload
};

}  // namespace harvel
