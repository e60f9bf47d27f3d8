#include "crawl_window/landed_picture.h"

#include <optional>
#include <string_view>

#include "common/ascii_text.h"
#include "common/media_type.h"
#include "common/picture_format.h"

namespace harvel {
namespace {

bool HasPictureEnding(const std::string& path) {
  const std::string_view name = std::string_view(path).substr(path.find_last_of('/') + 1);
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0)
    return false;
  const PictureEnding* ending = FindPictureEnding(name.substr(dot + 1));
  return ending != nullptr && ending->shownAsPicture;
}

}  // namespace

bool IsLandedPicture(const RequestRecord& record) {
  if (!record.outcome.landed)
    return false;
  const std::string& contentType = record.outcome.contentType;
  const std::optional<MediaType> media = ParseMediaType(contentType);
  if (media && media->type == "image")
    return true;
  const bool tellsNothing =
      media ? media->essence() == "application/octet-stream" ||
                  media->essence() == "binary/octet-stream"
            : Trimmed(contentType.substr(0, contentType.find(';')), kHtmlSpace).empty();
  return tellsNothing && HasPictureEnding(record.path);
}

}  // namespace harvel
