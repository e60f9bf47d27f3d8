#include "downloader/rendered_page.h"

#include "downloader/failure_reason.h"
#include "downloader/temporary_file.h"

namespace harvel {

DownloadNotice LandRenderedPage(const FileRequest& request, const RenderResult& result,
                                TemporaryFileRecord* record, std::chrono::milliseconds elapsed) {
  const auto slash = request.path.rfind('/');
  if (request.path.empty() || request.path.front() != '/' || slash + 1 == request.path.size())
    return FailedNotice(failure::kBadRequest, ReasonText(failure::kBadRequest, request.path));
  const std::string folder = slash == 0 ? "/" : request.path.substr(0, slash);
  TemporaryFile file;
  file.setRecord(record);
  int error = file.create(folder);
  if (error == 0)
    error = file.write(result.document.data(), result.document.size());
  if (error == 0)
    error = file.moveTo(request.path);
  if (error != 0) {
    DownloadNotice failed =
        FailedNotice(FileFailureReason(error), FileReasonText(error, request.path));
    failed.elapsedMs = elapsed.count();
    return failed;
  }
  DownloadNotice notice;
  notice.landed = true;
  notice.httpStatus = result.httpStatus;
  notice.bytes = static_cast<std::int64_t>(result.document.size());
  notice.elapsedMs = elapsed.count();
  notice.contentType = "text/html; charset=utf-8";
  notice.finalUrl = result.finalUrl;
  notice.rendered = true;
  notice.pictures = result.pictures;
  notice.pictureBytes = result.pictureBytes;
  return notice;
}

}  // namespace harvel
