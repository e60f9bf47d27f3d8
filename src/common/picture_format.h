#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace harvel {

// The picture formats the program knows. HEIF stands for the ISO media
// pictures (HEIF, HEIC, AVIF), which one signature starts.
enum class PictureFormat { Gif, Jpeg, Png, Webp, Heif, Avif, Bmp, Ico, Svg };

// One picture name ending (lower case, without the dot) and where it counts.
struct PictureEnding {
  std::string_view ending;
  PictureFormat format;
  bool minimumSize;     // a minimum picture size applies to it
  bool modernPicture;   // a modern page's reference with it is a picture
  bool shownAsPicture;  // the window shows a landed file with it as a picture
};

// Every picture name ending the program knows: the one list of them.
inline constexpr PictureEnding kPictureEndings[] = {
    {"gif", PictureFormat::Gif, true, true, true},
    {"jpg", PictureFormat::Jpeg, true, true, true},
    {"jpeg", PictureFormat::Jpeg, true, true, true},
    {"jpe", PictureFormat::Jpeg, true, false, true},
    {"png", PictureFormat::Png, true, true, true},
    {"webp", PictureFormat::Webp, true, true, true},
    {"avif", PictureFormat::Avif, true, true, false},
    {"heic", PictureFormat::Heif, true, false, false},
    {"heif", PictureFormat::Heif, true, false, false},
    {"bmp", PictureFormat::Bmp, true, false, true},
    {"ico", PictureFormat::Ico, true, false, true},
    {"svg", PictureFormat::Svg, true, true, true},
    {"svgz", PictureFormat::Svg, false, false, true},
};

// The row of `ending` (without the dot, in any case); nullptr for one that
// names no picture.
const PictureEnding* FindPictureEnding(std::string_view ending);

// The format whose signature `head`, the first bytes of a file, starts with;
// nullopt for none. AVIF is told from HEIF by its brand ("ftyp" then "avif" or
// "avis"); SVG, being text, has no signature here.
std::optional<PictureFormat> PictureFormatOfSignature(std::span<const unsigned char> head);
std::optional<PictureFormat> PictureFormatOfSignature(std::string_view head);

// The bytes that suffice to tell every signature apart.
inline constexpr std::size_t kPictureSignatureLength = 12;

}  // namespace harvel
