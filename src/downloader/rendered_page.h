#pragma once

#include <chrono>

#include "common/file_request.h"
#include "downloader/protocol/notice.h"
#include "downloader/render/page_renderer.h"
#include "downloader/temporary_file_record.h"

namespace harvel {

// Puts the document of a rendered page at the request's path (written under
// a temporary name in its folder and moved into place, as a download is) and
// says so: landed, as a page, naming the pictures the page loaded; or failed
// when the file cannot be made.
DownloadNotice LandRenderedPage(const FileRequest& request, const RenderResult& result,
                                TemporaryFileRecord* record, std::chrono::milliseconds elapsed);

}  // namespace harvel
