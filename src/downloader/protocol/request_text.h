#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "common/file_request.h"
#include "downloader/protocol/frame.h"
#include "downloader/protocol/hello.h"

namespace harvel {

// The version-2 request frame (kind Q): the fields of request_fields.h that
// `peer` takes (nullptr: all of them).
std::string EncodeFieldRequest(const FileRequest& request, const Hello* peer = nullptr);

// The length of that frame, without building it.
std::size_t FieldRequestLength(const FileRequest& request, const Hello* peer = nullptr);

// Either kind of request: version 1's `URL,path` (R) carries only the URL and
// the path. nullopt when the request carries no download: no separating comma
// where the frame says the URL ends, an empty URL or an empty path, a field
// that is malformed (a negative max size, a min-picture that is no size).
// Such a request is still answered with a notice.
std::optional<FileRequest> ParseRequest(const Message& request);

}  // namespace harvel
