#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "crawl/crawl_options.h"
#include "crawl/file_type.h"

namespace harvel {

// The last four characters of `text` (all of it when shorter): the ending that
// decides a file's type. Every comparison with it is exact and case-sensitive.
std::string_view LastFour(std::string_view text);

bool IsHtmlEnding(std::string_view ending);     // ".htm" or "html"
bool IsPageEnding(std::string_view ending);     // ".htm", "html" or ".cgi": read for links
bool IsPictureEnding(std::string_view ending);  // ".gif", ".jpg", "jpeg" or ".png"

// The check box that decides a picture with this ending (lower case, no dot):
// GifChk for gif, JpegChk for jpg and jpeg, PngChk for png; nullopt for others.
std::optional<Check> PictureCheck(std::string_view ending);

// How the driver decides whether the file at `saveFile` is wanted (before it is
// requested). `isBinary` is asked only for other types while TextGetChk is on; it
// gives true, false, or nullopt when the test cannot be made (the row is wanted).
using BinaryTest = std::function<std::optional<bool>()>;
bool RowIsWanted(std::string_view saveFile, const CrawlOptions& options, const UserExtList& userExt,
                 const BinaryTest& isBinary);

// The type stage of link extraction for the resolved link `url`.
enum class LinkType {
  Skip,      // not wanted
  Continue,  // wanted
  Html,      // a page: wanted while the level allows (the HTML rule)
};
LinkType ClassifyLink(std::string_view url, const CrawlOptions& options,
                      const UserExtList& userExt);

// The HTML keep rule for a page read for links: true when the page file is to
// be deleted again. ".cgi" pages are always kept.
bool PageIsDropped(std::string_view saveFile, const CrawlOptions& options,
                   const UserExtList& userExt);

bool Contains(std::string_view text, std::string_view part);

// The URL filter (CommonURLChk): true when it lets `url` be queued.
bool UrlFilterPasses(const CrawlOptions& options, std::string_view url);

}  // namespace harvel
