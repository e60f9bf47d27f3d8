#pragma once

#include <optional>

#include "common/file_request.h"
#include "downloader/protocol/fields.h"
#include "downloader/protocol/hello.h"

namespace harvel {

// The one field codec of a FileRequest, for the request (Q) and the stage (S)
// messages alike. Both carry "url" and the place: "path" in a request, the
// folder in a stage ("folder"). Every other member of FileRequest is one row
// of the table in request_fields.cpp: its key, the feature a downloader must
// state to be sent it (in a request and in a stage), how it is written and
// how it is read. A new field is a member of FileRequest and a row there.
enum class RequestMessage { Request, Stage };

// The fields of `request` in a message of `kind`: the set ones among those
// that `peer` (a downloader's hello) takes; nullptr takes every field.
Fields WriteRequestFields(const FileRequest& request, RequestMessage kind,
                          const Hello* peer = nullptr);

// nullopt when the URL or the place is missing or empty, or when a field is
// there but malformed (a max-size that is no whole number of bytes, a
// min-picture that is no size): the message then carries no download. Keys
// it does not know are passed over.
std::optional<FileRequest> ReadRequestFields(const Fields& fields, RequestMessage kind);

}  // namespace harvel
