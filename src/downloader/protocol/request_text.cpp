#include "downloader/protocol/request_text.h"

namespace harvel {
namespace {

constexpr const char* kUrlKey = "url";
constexpr const char* kPathKey = "path";
constexpr const char* kRefererKey = "referer";
constexpr const char* kMaxSizeKey = "max-size";
constexpr const char* kMinPictureKey = "min-picture";
constexpr const char* kValidatorsKey = "validators";
constexpr const char* kIfNoneMatchKey = "if-none-match";
constexpr const char* kIfModifiedSinceKey = "if-modified-since";
constexpr const char* kRenderKey = "render";

Fields RequestFields(const DownloadRequest& request) {
  Fields fields{{kUrlKey, request.url}, {kPathKey, request.path}};
  if (!request.referer.empty())
    fields.emplace_back(kRefererKey, request.referer);
  if (request.maxSize)
    fields.emplace_back(kMaxSizeKey, std::to_string(*request.maxSize));
  if (request.minPicture.isSet())
    fields.emplace_back(kMinPictureKey, PictureSizeText(request.minPicture));
  if (request.validators)
    fields.emplace_back(kValidatorsKey, "1");
  if (!request.ifNoneMatch.empty())
    fields.emplace_back(kIfNoneMatchKey, request.ifNoneMatch);
  if (!request.ifModifiedSince.empty())
    fields.emplace_back(kIfModifiedSinceKey, request.ifModifiedSince);
  if (request.renderScrolls > 0)
    fields.emplace_back(kRenderKey, std::to_string(request.renderScrolls));
  return fields;
}

std::optional<DownloadRequest> ParseTextRequest(const Message& request) {
  const std::string& text = request.text;
  const std::size_t comma = request.urlLength;
  if (comma == 0 || comma >= text.size() || text[comma] != ',')
    return std::nullopt;
  DownloadRequest parsed{text.substr(0, comma), text.substr(comma + 1), {}, {}, {}};
  if (parsed.path.empty())
    return std::nullopt;
  return parsed;
}

std::optional<DownloadRequest> ParseFieldRequest(const Message& request) {
  DownloadRequest parsed;
  const auto url = FieldValue(request.fields, kUrlKey);
  const auto path = FieldValue(request.fields, kPathKey);
  if (!url || !path || url->empty() || path->empty())
    return std::nullopt;
  parsed.url = *url;
  parsed.path = *path;
  if (const auto referer = FieldValue(request.fields, kRefererKey))
    parsed.referer = *referer;
  if (FieldValue(request.fields, kMaxSizeKey)) {
    const auto maxSize = NumberField(request.fields, kMaxSizeKey);
    if (!maxSize || *maxSize < 0)
      return std::nullopt;
    parsed.maxSize = *maxSize;
  }
  if (const auto minPicture = FieldValue(request.fields, kMinPictureKey)) {
    const std::optional<PictureSize> size = ParsePictureSize(*minPicture);
    if (!size)
      return std::nullopt;
    parsed.minPicture = *size;
  }
  parsed.validators = FieldValue(request.fields, kValidatorsKey) == std::string_view("1");
  if (const auto etag = FieldValue(request.fields, kIfNoneMatchKey))
    parsed.ifNoneMatch = *etag;
  if (const auto since = FieldValue(request.fields, kIfModifiedSinceKey))
    parsed.ifModifiedSince = *since;
  if (FieldValue(request.fields, kRenderKey)) {
    const auto scrolls = NumberField(request.fields, kRenderKey);
    if (!scrolls || *scrolls < 1 || *scrolls > kMostRenderScrolls)
      return std::nullopt;
    parsed.renderScrolls = static_cast<int>(*scrolls);
  }
  return parsed;
}

}  // namespace

std::string EncodeFieldRequest(const DownloadRequest& request) {
  return EncodeFieldMessage(MessageKind::FieldRequest, RequestFields(request));
}

std::size_t FieldRequestLength(const DownloadRequest& request) {
  std::size_t length = kFrameHeaderLength;
  for (const auto& [key, value] : RequestFields(request))
    length += 8 + key.size() + value.size();
  return length;
}

std::optional<DownloadRequest> ParseRequest(const Message& request) {
  if (request.kind == MessageKind::Request)
    return ParseTextRequest(request);
  if (request.kind == MessageKind::FieldRequest)
    return ParseFieldRequest(request);
  return std::nullopt;
}

}  // namespace harvel
