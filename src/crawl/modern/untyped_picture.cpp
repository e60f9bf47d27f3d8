#include "crawl/modern/untyped_picture.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "common/path_text.h"
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

void Forget(CrawlState& state) {
  std::error_code error;
  std::filesystem::remove(PathFromText(state.SaveFile), error);
  --state.DownCnt;
}

}  // namespace

std::string PictureEndingOfContentType(std::string_view contentType) {
  const std::string type = AsciiLower(Trimmed(contentType.substr(0, contentType.find(';'))));
  if (!type.starts_with("image/"))
    return {};
  const std::string subtype = type.substr(6);
  if (subtype == "jpeg" || subtype == "pjpeg" || subtype == "jpg")
    return "jpg";
  if (subtype == "svg+xml")
    return "svg";
  if (subtype == "x-icon" || subtype == "vnd.microsoft.icon")
    return "ico";
  if (subtype.empty() || subtype.size() > 10)
    return {};
  for (char c : subtype) {
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
      return {};
  }
  return subtype;  // png, gif, webp, avif, bmp, tiff ...
}

std::string SniffedPictureEnding(const std::string& path) {
  std::ifstream in(PathFromText(path), std::ios::binary);
  std::array<char, 512> head{};
  in.read(head.data(), head.size());
  const std::string_view bytes(head.data(), static_cast<std::size_t>(in.gcount()));
  if (bytes.starts_with("\xFF\xD8\xFF"))
    return "jpg";
  if (bytes.starts_with("\x89PNG\r\n\x1A\n"))
    return "png";
  if (bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a"))
    return "gif";
  if (bytes.starts_with("RIFF") && bytes.substr(8, 4) == "WEBP")
    return "webp";
  if (bytes.substr(4, 4) == "ftyp" &&
      (bytes.substr(8, 4) == "avif" || bytes.substr(8, 4) == "avis"))
    return "avif";
  if (bytes.starts_with(std::string_view("\0\0\1\0", 4)))
    return "ico";
  if (bytes.starts_with("BM"))
    return "bmp";
  const std::string lower = AsciiLower(bytes);
  if (lower.find("<svg") != std::string::npos)
    return "svg";
  return {};
}

std::optional<std::string> NoticeContentType(const Mailbox& mailbox) {
  // An older downloader, or a server, that tells no type: the file's first
  // bytes decide instead.
  if (!mailbox.outcome.detailed || mailbox.outcome.contentType.empty())
    return std::nullopt;
  return mailbox.outcome.contentType;
}

bool NoticeSaysHtml(const Mailbox& mailbox) {
  const std::optional<std::string> type = NoticeContentType(mailbox);
  if (!type)
    return false;
  const std::string lower = AsciiLower(Trimmed(*type));
  return lower.starts_with("text/html") || lower.starts_with("application/xhtml+xml");
}

void AfterModernDownload(CrawlContext& context, CrawlState& state, bool typedRow) {
  SettleUntypedPicture(context, state);
  const bool mayBePage = typedRow || state.modern.scriptPages.contains(state.CurURL);
  if (mayBePage && NoticeSaysHtml(*state.mailbox))
    state.modern.servedPageUrl = state.CurURL;
}

void SettleUntypedPicture(CrawlContext& context, CrawlState& state) {
  if (!state.modern.untypedPictures.contains(state.CurURL) || !OrdinaryFileExists(state.SaveFile))
    return;
  const std::optional<std::string> contentType = NoticeContentType(*state.mailbox);
  const std::string ending =
      contentType ? PictureEndingOfContentType(*contentType) : SniffedPictureEnding(state.SaveFile);
  if (ending.empty()) {
    Forget(state);
    return;
  }
  const bool wanted = context.options.on(Check::UserSet)
                          ? UserListWants("." + ending, context.userExt)
                          : PictureBoxWanted(ending, context.options);
  if (!wanted) {
    Forget(state);
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
