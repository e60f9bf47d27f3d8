#include "crawl/type_decision.h"

#include "crawl/mail_address_file.h"

namespace harvel {

std::string_view LastFour(std::string_view text) {
  return text.size() <= 4 ? text : text.substr(text.size() - 4);
}

bool IsHtmlEnding(std::string_view ending) {
  return ending == ".htm" || ending == "html";
}

bool IsPageEnding(std::string_view ending) {
  return IsHtmlEnding(ending) || ending == ".cgi";
}

std::optional<Check> PictureCheck(std::string_view ending) {
  if (ending == "gif")
    return Check::Gif;
  if (ending == "jpg" || ending == "jpeg")
    return Check::Jpeg;
  if (ending == "png")
    return Check::Png;
  return std::nullopt;
}

namespace {

// PictureCheck of a classic ending: ".gif", ".jpg", "jpeg" or ".png".
std::optional<Check> ClassicPictureCheck(std::string_view lastFour) {
  if (lastFour.size() != 4)
    return std::nullopt;
  return PictureCheck(lastFour.front() == '.' ? lastFour.substr(1) : lastFour);
}

}  // namespace

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

bool UrlFilterPasses(const CrawlOptions& options, std::string_view url) {
  return !options.on(Check::CommonURL) || Contains(url, options.commonUrlText());
}

bool RowIsWanted(std::string_view saveFile, const CrawlOptions& options, const UserExtList& userExt,
                 const BinaryTest& isBinary) {
  const std::string_view ending = LastFour(saveFile);
  if (IsHtmlEnding(ending))
    return true;  // pages are always fetched, to be read for links
  if (options.on(Check::UserSet))
    return IsFileType(saveFile, userExt) != 0;
  if (const std::optional<Check> box = ClassicPictureCheck(ending))
    return options.on(*box);
  if (ending == ".cgi")
    return options.on(Check::CGI);
  if (HoldsMailto(saveFile))
    return options.on(Check::Mail) || options.on(Check::Other);
  if (options.on(Check::TextGet)) {
    const std::optional<bool> binary = isBinary();
    if (!binary.has_value() || !*binary)
      return true;  // a test that cannot be made: wanted
  }
  return options.on(Check::Other);
}

bool IsPictureEnding(std::string_view ending) {
  return ClassicPictureCheck(ending).has_value();
}

LinkType ClassifyLink(std::string_view url, const CrawlOptions& options,
                      const UserExtList& userExt) {
  const std::string_view ending = LastFour(url);
  if (IsHtmlEnding(ending))
    return LinkType::Html;
  bool wanted = false;
  if (options.on(Check::UserSet)) {
    wanted = IsFileType(url, userExt) != 0;
  } else if (const std::optional<Check> box = ClassicPictureCheck(ending)) {
    wanted = options.on(*box);
  } else if (ending == ".cgi") {
    wanted = options.on(Check::CGI);
  } else {
    wanted = options.on(Check::Other) || HoldsMailto(url);
  }
  return wanted ? LinkType::Continue : LinkType::Skip;
}

bool PageIsDropped(std::string_view saveFile, const CrawlOptions& options,
                   const UserExtList& userExt) {
  if (!IsHtmlEnding(LastFour(saveFile)))
    return false;
  if (options.on(Check::UserSet))
    return IsFileType(saveFile, userExt) == 0;
  return !options.on(Check::Htm);
}

}  // namespace harvel
