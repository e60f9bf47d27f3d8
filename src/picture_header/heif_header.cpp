#include "picture_header/heif_header.h"

#include <limits>

namespace harvel {
namespace {

constexpr std::uint32_t Fourcc(const char (&name)[5]) {
  return std::uint32_t(std::uint8_t(name[0])) << 24 | std::uint32_t(std::uint8_t(name[1])) << 16 |
         std::uint32_t(std::uint8_t(name[2])) << 8 | std::uint8_t(name[3]);
}

constexpr std::uint32_t kFtyp = Fourcc("ftyp");
constexpr std::uint32_t kMeta = Fourcc("meta");
constexpr std::uint32_t kPitm = Fourcc("pitm");
constexpr std::uint32_t kIprp = Fourcc("iprp");
constexpr std::uint32_t kIpco = Fourcc("ipco");
constexpr std::uint32_t kIpma = Fourcc("ipma");
constexpr std::uint32_t kIspe = Fourcc("ispe");
constexpr std::uint32_t kIrot = Fourcc("irot");
constexpr std::uint32_t kClap = Fourcc("clap");

constexpr std::uint64_t kToEndOfFile = std::numeric_limits<std::uint64_t>::max();
constexpr std::size_t kLargestFtyp = 4096;
constexpr std::size_t kLargestIpma = 65536;
constexpr std::size_t kMostProperties = 4096;

// A clean aperture's side (a fraction): a whole number of pixels, or 0.
std::uint32_t CropSide(const std::uint8_t* fraction) {
  const std::uint32_t numerator = BigEndian32(fraction);
  const std::uint32_t denominator = BigEndian32(fraction + 4);
  if (denominator == 0 || numerator % denominator != 0)
    return 0;
  return numerator / denominator;
}

bool IsHeifBrand(std::uint32_t brand) {
  for (const std::uint32_t known : {Fourcc("mif1"), Fourcc("mif2"), Fourcc("msf1"), Fourcc("avif"),
                                    Fourcc("avis"), Fourcc("heic"), Fourcc("heix"), Fourcc("heim"),
                                    Fourcc("heis"), Fourcc("hevc"), Fourcc("hevx")}) {
    if (brand == known)
      return true;
  }
  return false;
}

}  // namespace

HeaderStep HeifHeader::Look(std::span<const std::uint8_t> bytes, std::uint64_t offset) {
  const std::uint8_t* p = bytes.data();
  switch (expect_) {
    case Expect::BoxHeader:
      if (BigEndian32(p) == 1) {  // a 64-bit length follows the type
        expect_ = Expect::LongBoxHeader;
        return HeaderStep::Read(0, 16);
      }
      return Box(BigEndian32(p + 4), offset, 8, BigEndian32(p));
    case Expect::LongBoxHeader:
      return Box(BigEndian32(p + 4), offset, 16, BigEndian64(p + 8));
    case Expect::Ftyp:
      // The major brand, a minor version, then the compatible brands.
      for (std::size_t at = 0; at + 4 <= bytes.size(); at += at == 0 ? 8 : 4) {
        if (IsHeifBrand(BigEndian32(p + at))) {
          brandSeen_ = true;
          return NextBox(boxEnd_, offset);
        }
      }
      return HeaderStep::NotKnown();
    case Expect::Pitm:
      if (p[0] != 0 && bytes.size() < 8)
        return HeaderStep::NotKnown();
      primary_ = p[0] == 0 ? BigEndian16(p + 4) : BigEndian32(p + 4);
      return Settle(offset);
    case Expect::Ispe:
      Keep({properties_, Property::Kind::Extent, {BigEndian32(p + 4), BigEndian32(p + 8)}, 0});
      return NextBox(boxEnd_, offset);
    case Expect::Irot:
      Keep({properties_, Property::Kind::Rotation, {}, static_cast<std::uint8_t>(p[0] & 3)});
      return NextBox(boxEnd_, offset);
    case Expect::Clap:
      Keep({properties_, Property::Kind::Crop, {CropSide(p), CropSide(p + 8)}, 0});
      return NextBox(boxEnd_, offset);
    case Expect::Ipma:
      associations_.assign(bytes.begin(), bytes.end());
      return Settle(offset);
  }
  return HeaderStep::NotKnown();
}

HeaderStep HeifHeader::Box(std::uint32_t type, std::uint64_t offset, std::uint64_t headerLength,
                           std::uint64_t length) {
  expect_ = Expect::BoxHeader;
  std::uint64_t end = kToEndOfFile;
  if (length == 0) {  // the box runs to the end of the file: only the last top-level one
    if (!open_.empty() || type != kMeta)
      return HeaderStep::NotKnown();
  } else {
    if (length < headerLength || length > kToEndOfFile - 1 - offset)
      return HeaderStep::NotKnown();
    end = offset + length;
  }
  if (!open_.empty() && end > open_.back().end)
    return HeaderStep::NotKnown();
  const std::uint64_t payload = end - offset - headerLength;
  boxEnd_ = end;

  if (!brandSeen_) {
    if (type != kFtyp || payload < 8 || payload > kLargestFtyp)
      return HeaderStep::NotKnown();
    expect_ = Expect::Ftyp;
    return HeaderStep::Read(headerLength, payload);
  }
  switch (parent()) {
    case 0:
      if (type != kMeta || metaSeen_)
        return NextBox(end, offset);
      if (payload < 4)  // a version and flags come first
        return HeaderStep::NotKnown();
      metaSeen_ = true;
      open_.push_back({kMeta, end});
      return NextBox(offset + headerLength + 4, offset);
    case kMeta:
      if (type == kPitm) {
        if (payload < 6 || payload > 64)
          return HeaderStep::NotKnown();
        expect_ = Expect::Pitm;
        return HeaderStep::Read(headerLength, payload);
      }
      if (type == kIprp) {
        open_.push_back({kIprp, end});
        return NextBox(offset + headerLength, offset);
      }
      return NextBox(end, offset);
    case kIprp:
      if (type == kIpco) {
        open_.push_back({kIpco, end});
        return NextBox(offset + headerLength, offset);
      }
      if (type == kIpma) {
        if (payload < 8 || payload > kLargestIpma)
          return HeaderStep::NotKnown();
        expect_ = Expect::Ipma;
        return HeaderStep::Read(headerLength, payload);
      }
      return NextBox(end, offset);
    case kIpco:
      ++properties_;
      if (type == kIspe) {
        if (payload < 12)  // a version and flags, then width and height
          return HeaderStep::NotKnown();
        expect_ = Expect::Ispe;
        return HeaderStep::Read(headerLength, 12);
      }
      if (type == kIrot && payload >= 1) {
        expect_ = Expect::Irot;
        return HeaderStep::Read(headerLength, 1);
      }
      if (type == kClap && payload >= 32) {  // four fractions: the sides, then the offsets
        expect_ = Expect::Clap;
        return HeaderStep::Read(headerLength, 16);
      }
      return NextBox(end, offset);
  }
  return HeaderStep::NotKnown();
}

HeaderStep HeifHeader::NextBox(std::uint64_t at, std::uint64_t offset) {
  expect_ = Expect::BoxHeader;
  // Leave every box that ends here: the properties are complete when ipco ends,
  // and everything the size can come from has been seen when meta ends.
  while (!open_.empty() && at == open_.back().end) {
    const std::uint32_t type = open_.back().type;
    open_.pop_back();
    if (type == kIpco) {
      propertiesRead_ = true;
      if (std::optional<HeaderStep> settled = PrimarySize())
        return *settled;
    }
    if (type == kMeta)
      return HeaderStep::NotKnown();
  }
  return HeaderStep::Read(at - offset, 8);
}

void HeifHeader::Keep(const Property& property) {
  if (sizing_.size() < kMostProperties)
    sizing_.push_back(property);
}

const HeifHeader::Property* HeifHeader::Find(std::uint32_t number) const {
  for (const Property& property : sizing_) {
    if (property.number == number)
      return &property;
  }
  return nullptr;
}

HeaderStep HeifHeader::Settle(std::uint64_t offset) {
  if (std::optional<HeaderStep> settled = PrimarySize())
    return *settled;
  return NextBox(boxEnd_, offset);
}

std::optional<HeaderStep> HeifHeader::PrimarySize() const {
  if (!primary_ || associations_.empty() || !propertiesRead_)
    return std::nullopt;
  // ipma: version, flags, entry count; each entry an item and its property
  // numbers, 7 bits each or 15 bits with flag 1 (the high bit marks essential).
  const std::span<const std::uint8_t> table(associations_);
  const bool wideItems = table[0] != 0;
  const bool wideNumbers = (table[3] & 1) != 0;
  const std::uint32_t entries = BigEndian32(table.data() + 4);
  std::size_t at = 8;
  for (std::uint32_t entry = 0; entry < entries; ++entry) {
    const std::size_t itemLength = wideItems ? 4 : 2;
    if (at + itemLength + 1 > table.size())
      return HeaderStep::NotKnown();
    const std::uint32_t item =
        wideItems ? BigEndian32(table.data() + at) : BigEndian16(table.data() + at);
    const std::uint8_t count = table[at + itemLength];
    at += itemLength + 1;
    const std::size_t numberLength = wideNumbers ? 2 : 1;
    if (at + count * numberLength > table.size())
      return HeaderStep::NotKnown();
    if (item == *primary_) {
      const auto numberAt = [&](std::uint8_t n) {
        const std::uint8_t* number = table.data() + at + n * numberLength;
        return wideNumbers ? BigEndian16(number) & 0x7fffu : *number & 0x7fu;
      };
      // The first extent, then the crops and turns in their order.
      std::optional<PictureSize> size;
      for (std::uint8_t n = 0; n < count && !size; ++n) {
        if (const Property* extent = Find(numberAt(n));
            extent && extent->kind == Property::Kind::Extent)
          size = extent->size;
      }
      if (!size)
        return HeaderStep::NotKnown();
      bool turned = false;
      for (std::uint8_t n = 0; n < count; ++n) {
        const Property* property = Find(numberAt(n));
        if (property == nullptr)
          continue;
        if (property->kind == Property::Kind::Rotation && property->quarters % 2 == 1) {
          *size = {size->height, size->width};
          turned = !turned;
        } else if (property->kind == Property::Kind::Crop && property->size.width != 0 &&
                   property->size.height != 0 && property->size.width <= size->width &&
                   property->size.height <= size->height) {
          *size = property->size;
        }
      }
      HeaderStep shown = HeaderStep::Size(size->width, size->height);
      shown.turned = turned;
      return shown;
    }
    at += count * numberLength;
  }
  return HeaderStep::NotKnown();
}

}  // namespace harvel
