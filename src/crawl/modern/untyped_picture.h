#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "crawl/crawl_context.h"
#include "crawl/crawl_state.h"

namespace harvel {

// The file ending (lower case, no dot) for a Content-Type such as
// "image/jpeg; charset=x"; "" when the type is not a picture.
std::string PictureEndingOfContentType(std::string_view contentType);

// The picture type that the first bytes of the file at `path` show; "" when
// they show none (or the file cannot be read).
std::string SniffedPictureEnding(const std::string& path);

// The Content-Type that the download notice in `mailbox` reports, when it does.
std::optional<std::string> NoticeContentType(const Mailbox& mailbox);

// After the download of a row queued as a picture without a known ending: a
// picture (by the server's Content-Type, else by its first bytes) that the
// options want is kept and named with its type's ending; anything else is
// deleted again and not counted.
void SettleUntypedPicture(CrawlContext& context, CrawlState& state);

// True when the notice in `mailbox` reports an HTML page.
bool NoticeSaysHtml(const Mailbox& mailbox);

// What follows the download of a row while modern pages are on: an untyped
// picture is settled, and a typed row (one without a referring page) or a
// server program's page that the server calls HTML is marked to be read.
void AfterModernDownload(CrawlContext& context, CrawlState& state, bool typedRow);

}  // namespace harvel
