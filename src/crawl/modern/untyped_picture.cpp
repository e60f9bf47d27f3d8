#include "crawl/modern/untyped_picture.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>
#include <utility>

#include "common/media_type.h"
#include "common/path_text.h"
#include "common/picture_format.h"
#include "common/regular_file.h"
#include "crawl/modern/modern_file_name.h"
#include "crawl/modern/modern_types.h"
#include "crawl/modern/url_ending.h"
#include "crawl/sequential_name.h"

namespace harvel {

std::string PictureEndingOfContentType(std::string_view contentType) {
  // The only types a picture is named from; no ending is made from other text.
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 18> kTypes = {{
      {"image/jpeg", "jpg"},
      {"image/jpg", "jpg"},
      {"image/pjpeg", "jpg"},
      {"image/png", "png"},
      {"image/x-png", "png"},
      {"image/apng", "png"},
      {"image/gif", "gif"},
      {"image/webp", "webp"},
      {"image/avif", "avif"},
      {"image/svg+xml", "svg"},
      {"image/bmp", "bmp"},
      {"image/x-bmp", "bmp"},
      {"image/x-ms-bmp", "bmp"},
      {"image/x-icon", "ico"},
      {"image/vnd.microsoft.icon", "ico"},
      {"image/ico", "ico"},
      {"image/icon", "ico"},
      {"image/x-ico", "ico"},
  }};
  const std::optional<MediaType> media = ParseMediaType(contentType);
  if (!media)
    return {};
  const std::string type = media->essence();
  for (const auto& [known, ending] : kTypes) {
    if (type == known)
      return std::string(ending);
  }
  return {};
}

std::string PictureEndingOfHead(std::string_view bytes) {
  // The `length` bytes at `at`, fewer (or none) where the file is shorter.
  const auto part = [bytes](std::size_t at, std::size_t length) {
    return at <= bytes.size() ? bytes.substr(at, length) : std::string_view();
  };
  switch (PictureFormatOfSignature(bytes).value_or(PictureFormat::Svg)) {
    case PictureFormat::Jpeg:
      return "jpg";
    case PictureFormat::Png:
      return "png";
    case PictureFormat::Gif:
      return "gif";
    case PictureFormat::Webp:
      return "webp";
    case PictureFormat::Avif:
      return "avif";
    case PictureFormat::Ico:
      return "ico";
    case PictureFormat::Bmp:
      // "BM", the file's size, then four reserved bytes that are zero.
      if (part(6, 4) == std::string_view("\0\0\0\0", 4))
        return "bmp";
      return {};
    case PictureFormat::Heif:
      return {};  // a HEIF picture is not named from its bytes
    case PictureFormat::Svg:
      break;  // no signature: perhaps SVG, told below
  }
  // SVG is text: it starts like an XML document or with its own element.
  std::string_view text = bytes;
  if (text.starts_with("\xEF\xBB\xBF"))
    text.remove_prefix(3);
  text = text.substr(std::min(text.find_first_not_of(" \t\r\n"), text.size()));
  if (text.starts_with("<?xml") || text.starts_with("<svg") ||
      AsciiLower(text.substr(0, 13)) == "<!doctype svg")
    return "svg";
  return {};
}

std::string SniffedPictureEnding(const std::string& path) {
  RegularFile in = RegularFile::Open(PathFromText(path));
  std::array<char, 512> head{};
  std::size_t held = 0;
  while (in && held < head.size()) {
    const std::optional<std::size_t> read = in.read(head.data() + held, head.size() - held);
    if (!read || *read == 0)
      break;
    held += *read;
  }
  return PictureEndingOfHead(std::string_view(head.data(), held));
}

std::optional<std::string> NoticeContentType(const Mailbox& mailbox) {
  // An older downloader, or a server, that tells no type: the file's first
  // bytes decide instead.
  if (!mailbox.outcome.detailed || mailbox.outcome.contentType.empty())
    return std::nullopt;
  return mailbox.outcome.contentType;
}

bool IsHtmlContentType(std::string_view contentType) {
  const std::optional<MediaType> media = ParseMediaType(contentType);
  return media && (media->essence() == "text/html" || media->essence() == "application/xhtml+xml");
}

void SettleUntypedPicture(CrawlContext& context, CrawlState& state) {
  if (!state.modern.untypedPictures.contains(state.CurURL) || !OrdinaryFileExists(state.SaveFile))
    return;
  // A picture by its type (the server's, or else its first bytes), and only
  // when its first bytes agree with the type the server names.
  const std::optional<std::string> contentType = NoticeContentType(*state.mailbox);
  const std::string sniffed = SniffedPictureEnding(state.SaveFile);
  const std::string ending = contentType ? PictureEndingOfContentType(*contentType) : sniffed;
  if (ending.empty() || ending != sniffed) {
    state.dropLandedFile();
    return;
  }
  const bool wanted = context.options.on(Check::UserSet)
                          ? UserListWants("." + ending, context.userExt)
                          : PictureBoxWanted(ending, context.options);
  if (!wanted) {
    state.dropLandedFile();
    return;
  }
  if (NameEnding(state.SaveFile.substr(state.SaveFile.rfind('/') + 1)) == ending)
    return;
  // Named as any other file of this crawl would be: numbered when asked to,
  // never over a file that another URL of this crawl has left.
  const std::string landed = state.SaveFile;
  state.SaveFile =
      LandingName(landed + "." + ending, context.options.on(Check::Renban)).value_or(landed);
  if (state.SaveFile == landed || !state.claimSaveFile()) {
    state.SaveFile = landed;
    return;
  }
  std::error_code error;
  std::filesystem::rename(PathFromText(landed), PathFromText(state.SaveFile), error);
}

}  // namespace harvel
