#include "downloader/protocol/request_text.h"

#include "downloader/protocol/request_fields.h"

namespace harvel {
namespace {

std::optional<FileRequest> ParseTextRequest(const Message& request) {
  const std::string& text = request.text;
  const std::size_t comma = request.urlLength;
  if (comma == 0 || comma >= text.size() || text[comma] != ',')
    return std::nullopt;
  FileRequest parsed{text.substr(0, comma), text.substr(comma + 1)};
  if (parsed.path.empty())
    return std::nullopt;
  return parsed;
}

}  // namespace

std::string EncodeFieldRequest(const FileRequest& request, const Hello* peer) {
  return EncodeFieldMessage(MessageKind::FieldRequest,
                            WriteRequestFields(request, RequestMessage::Request, peer));
}

std::size_t FieldRequestLength(const FileRequest& request, const Hello* peer) {
  std::size_t length = kFrameHeaderLength;
  for (const auto& [key, value] : WriteRequestFields(request, RequestMessage::Request, peer))
    length += 8 + key.size() + value.size();
  return length;
}

std::optional<FileRequest> ParseRequest(const Message& request) {
  if (request.kind == MessageKind::Request)
    return ParseTextRequest(request);
  if (request.kind == MessageKind::FieldRequest)
    return ReadRequestFields(request.fields, RequestMessage::Request);
  return std::nullopt;
}

}  // namespace harvel
