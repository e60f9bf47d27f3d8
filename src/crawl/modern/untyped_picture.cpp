#include "crawl/modern/untyped_picture.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "common/path_text.h"
#include "crawl/landed_file.h"
#include "crawl/modern/modern_file_name.h"
#include "crawl/modern/modern_types.h"
#include "crawl/modern/url_ending.h"
#include "crawl/sequential_name.h"

namespace harvel {
namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
    text.remove_suffix(1);
  return text;
}

}  // namespace

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
  const std::string type = AsciiLower(Trimmed(contentType.substr(0, contentType.find(';'))));
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
  if (bytes.starts_with("\xFF\xD8\xFF"))
    return "jpg";
  if (bytes.starts_with("\x89PNG\r\n\x1A\n"))
    return "png";
  if (bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a"))
    return "gif";
  if (bytes.starts_with("RIFF") && part(8, 4) == "WEBP")
    return "webp";
  if (part(4, 4) == "ftyp" && (part(8, 4) == "avif" || part(8, 4) == "avis"))
    return "avif";
  if (bytes.starts_with(std::string_view("\0\0\1\0", 4)))
    return "ico";
  // "BM", the file's size, then four reserved bytes that are zero.
  if (bytes.starts_with("BM") && part(6, 4) == std::string_view("\0\0\0\0", 4))
    return "bmp";
  // SVG is text: it starts like an XML document or with its own element.
  std::string_view text = bytes;
  if (text.starts_with("\xEF\xBB\xBF"))
    text.remove_prefix(3);
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r' ||
                           text.front() == '\n'))
    text.remove_prefix(1);
  if (text.starts_with("<?xml") || text.starts_with("<svg") ||
      AsciiLower(text.substr(0, 13)) == "<!doctype svg")
    return "svg";
  return {};
}

std::string SniffedPictureEnding(const std::string& path) {
  std::ifstream in(PathFromText(path), std::ios::binary);
  std::array<char, 512> head{};
  in.read(head.data(), head.size());
  return PictureEndingOfHead(std::string_view(head.data(), static_cast<std::size_t>(in.gcount())));
}

std::optional<std::string> NoticeContentType(const Mailbox& mailbox) {
  // An older downloader, or a server, that tells no type: the file's first
  // bytes decide instead.
  if (!mailbox.outcome.detailed || mailbox.outcome.contentType.empty())
    return std::nullopt;
  return mailbox.outcome.contentType;
}

bool IsHtmlContentType(std::string_view contentType) {
  const std::string lower = AsciiLower(Trimmed(contentType));
  return lower.starts_with("text/html") || lower.starts_with("application/xhtml+xml");
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
    DropLandedFile(state);
    return;
  }
  const bool wanted = context.options.on(Check::UserSet)
                          ? UserListWants("." + ending, context.userExt)
                          : PictureBoxWanted(ending, context.options);
  if (!wanted) {
    DropLandedFile(state);
    return;
  }
  if (NameEnding(state.SaveFile.substr(state.SaveFile.rfind('/') + 1)) == ending)
    return;
  // Named as any other file of this crawl would be: numbered when asked to,
  // never over a file that another URL of this crawl has left.
  const std::string landed = state.SaveFile;
  state.SaveFile = landed + "." + ending;
  if (context.options.on(Check::Renban) && OrdinaryFileExists(state.SaveFile)) {
    std::optional<std::string> numbered = FirstFreeNumberedName(state.SaveFile);
    state.SaveFile = numbered ? std::move(*numbered) : landed;
  }
  if (state.SaveFile == landed || !ClaimSaveFile(state)) {
    state.SaveFile = landed;
    return;
  }
  std::error_code error;
  std::filesystem::rename(PathFromText(landed), PathFromText(state.SaveFile), error);
}

}  // namespace harvel
