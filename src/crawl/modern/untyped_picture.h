#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "crawl/crawl_context.h"
#include "crawl/crawl_state.h"

namespace harvel {

// The file ending (lower case, no dot) for a Content-Type such as
// "image/jpeg; charset=x" of JPEG, PNG, GIF, WebP, AVIF, SVG, BMP or ICO; ""
// for any other type.
std::string PictureEndingOfContentType(std::string_view contentType);

// The ending of the picture type that a file's first bytes show (SVG: text
// that starts like XML or with "<svg"); "" when they show none.
std::string PictureEndingOfHead(std::string_view bytes);

// PictureEndingOfHead of the file at `path`; "" when it cannot be read.
std::string SniffedPictureEnding(const std::string& path);

// The Content-Type that the download notice in `mailbox` reports, when it does.
std::optional<std::string> NoticeContentType(const Mailbox& mailbox);

// After the download of a row queued as a picture without a known ending: a
// picture (by the server's Content-Type when its first bytes agree, else by
// its first bytes) that the options want is kept and named with its type's
// ending; anything else is deleted again and not counted.
void SettleUntypedPicture(CrawlContext& context, CrawlState& state);

// True for an HTML page's Content-Type.
bool IsHtmlContentType(std::string_view contentType);

}  // namespace harvel
