#include "crawl/modern/modern_types.h"

#include <optional>
#include <string>

#include "crawl/mail_address_file.h"
#include "crawl/modern/url_ending.h"

namespace harvel {
namespace {

bool AnyPictureBox(const CrawlOptions& options) {
  return options.on(Check::Gif) || options.on(Check::Jpeg) || options.on(Check::Png);
}

std::string_view NameOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool PictureBoxWanted(std::string_view ending, const CrawlOptions& options) {
  if (const std::optional<Check> box = PictureCheck(ending))
    return options.on(*box);
  return AnyPictureBox(options);
}

bool UserListWants(std::string_view name, const UserExtList& userExt) {
  return IsFileType(name, userExt) != 0 || IsFileType(AsciiLower(name), userExt) != 0;
}

ReferenceType ClassifyReference(const PageReference& reference, const CrawlOptions& options,
                                const UserExtList& userExt) {
  const std::string& url = reference.url;
  if (IsMailUrl(url)) {
    switch (ClassifyLink(url, options, userExt)) {
      case LinkType::Skip:
        return ReferenceType::Skip;
      case LinkType::Html:
        return ReferenceType::Html;
      case LinkType::Continue:
        return ReferenceType::Continue;
    }
  }
  const bool picture =
      reference.kind == ReferenceKind::Picture || reference.kind == ReferenceKind::Icon;
  const std::string ending = UrlEnding(url);
  if (IsPageTypeEnding(ending))
    return picture ? ReferenceType::Skip : ReferenceType::Html;
  // A folder (stored as index.html) and a server program's page are pages too.
  if (!picture && (LastPathSegment(url).empty() || IsScriptPageEnding(ending)))
    return ReferenceType::Html;
  const bool pictureEnding = IsPictureTypeEnding(ending, reference.kind == ReferenceKind::Icon);
  if (options.on(Check::UserSet)) {
    const std::string_view path = UrlPath(url);
    if (UserListWants(path, userExt))
      return ReferenceType::Continue;
    return picture && !pictureEnding ? ReferenceType::Untyped : ReferenceType::Skip;
  }
  if (pictureEnding)
    return PictureBoxWanted(ending, options) ? ReferenceType::Continue : ReferenceType::Skip;
  if (ending == "cgi")
    return options.on(Check::CGI) ? ReferenceType::Continue : ReferenceType::Skip;
  if (picture)
    return AnyPictureBox(options) ? ReferenceType::Untyped : ReferenceType::Skip;
  return options.on(Check::Other) ? ReferenceType::Continue : ReferenceType::Skip;
}

RowFacts FactsOf(const CrawlState& state, const std::string& url) {
  RowFacts facts;
  facts.untypedPicture = state.modern.untypedPictures.contains(url);
  facts.scriptPage = state.modern.scriptPages.contains(url);
  return facts;
}

bool ModernRowWanted(std::string_view saveFile, const RowFacts& facts, const CrawlOptions& options,
                     const UserExtList& userExt, const BinaryTest& isBinary) {
  const std::string ending = NameEnding(NameOf(saveFile));
  if (IsPageTypeEnding(ending))
    return true;
  if (facts.untypedPicture || facts.scriptPage) {
    return true;  // its type is known once it has landed
  }
  if (options.on(Check::UserSet))
    return UserListWants(saveFile, userExt);
  if (IsPictureTypeEnding(ending, true))
    return PictureBoxWanted(ending, options);
  return RowIsWanted(saveFile, options, userExt, isBinary);
}

}  // namespace harvel
