#include "downloader/protocol/request_fields.h"

#include <string>
#include <string_view>

namespace harvel {
namespace {

using Written = std::optional<std::string>;

// One optional field of a request. A feature of nullptr: every version-2
// downloader takes the field.
struct RequestField {
  const char* key;
  const char* requestFeature;
  const char* stageFeature;
  Written (*write)(const FileRequest& request);                // nullopt: not set, not sent
  bool (*read)(std::string_view value, FileRequest& request);  // false: refused
};

Written TextOrNothing(const std::string& text) {
  return text.empty() ? Written() : Written(text);
}

constexpr RequestField kRequestFields[] = {
    {"referer", nullptr, nullptr, [](const FileRequest& r) { return TextOrNothing(r.referer); },
     [](std::string_view value, FileRequest& r) {
       r.referer = value;
       return true;
     }},
    {"max-size", nullptr, nullptr,
     [](const FileRequest& r) {
       return r.maxSize ? Written(std::to_string(*r.maxSize)) : Written();
     },
     [](std::string_view value, FileRequest& r) {
       const std::optional<long long> bytes = NumberValue(value);
       if (!bytes || *bytes < 0)
         return false;
       r.maxSize = *bytes;
       return true;
     }},
    {"min-picture", kFeatureMinPicture, kFeatureMinPicture,
     [](const FileRequest& r) {
       return r.minPicture.isSet() ? Written(PictureSizeText(r.minPicture)) : Written();
     },
     [](std::string_view value, FileRequest& r) {
       const std::optional<PictureSize> size = ParsePictureSize(value);
       if (size)
         r.minPicture = *size;
       return size.has_value();
     }},
    {"validators", kFeatureConditional, kFeatureStageConditional,
     [](const FileRequest& r) { return r.validators ? Written("1") : Written(); },
     [](std::string_view value, FileRequest& r) {
       r.validators = value == "1";
       return true;
     }},
    {"if-none-match", kFeatureConditional, kFeatureStageConditional,
     [](const FileRequest& r) { return TextOrNothing(r.ifNoneMatch); },
     [](std::string_view value, FileRequest& r) {
       r.ifNoneMatch = value;
       return true;
     }},
    {"if-modified-since", kFeatureConditional, kFeatureStageConditional,
     [](const FileRequest& r) { return TextOrNothing(r.ifModifiedSince); },
     [](std::string_view value, FileRequest& r) {
       r.ifModifiedSince = value;
       return true;
     }},
    {"render", kFeatureRender, kFeatureRender,
     [](const FileRequest& r) {
       return r.renderScrolls > 0 ? Written(std::to_string(r.renderScrolls)) : Written();
     },
     [](std::string_view value, FileRequest& r) {
       const std::optional<long long> scrolls = NumberValue(value);
       if (!scrolls || *scrolls < 1 || *scrolls > kMostRenderScrolls)
         return false;
       r.renderScrolls = static_cast<int>(*scrolls);
       return true;
     }},
    {"robots", kFeatureRobots, kFeatureRobots,
     [](const FileRequest& r) { return r.robots ? Written("1") : Written(); },
     [](std::string_view value, FileRequest& r) {
       r.robots = value == "1";
       return true;
     }},
};

const char* PlaceKey(RequestMessage kind) {
  return kind == RequestMessage::Request ? "path" : "folder";
}

}  // namespace

Fields WriteRequestFields(const FileRequest& request, RequestMessage kind, const Hello* peer) {
  Fields fields{{"url", request.url}, {PlaceKey(kind), request.path}};
  for (const RequestField& field : kRequestFields) {
    const char* feature =
        kind == RequestMessage::Request ? field.requestFeature : field.stageFeature;
    if (feature != nullptr && peer != nullptr && !peer->has(feature))
      continue;
    if (Written value = field.write(request))
      fields.emplace_back(field.key, std::move(*value));
  }
  return fields;
}

std::optional<FileRequest> ReadRequestFields(const Fields& fields, RequestMessage kind) {
  const auto url = FieldValue(fields, "url");
  const auto place = FieldValue(fields, PlaceKey(kind));
  if (!url || !place || url->empty() || place->empty())
    return std::nullopt;
  FileRequest request;
  request.url = *url;
  request.path = *place;
  for (const RequestField& field : kRequestFields) {
    if (const auto value = FieldValue(fields, field.key); value && !field.read(*value, request))
      return std::nullopt;
  }
  return request;
}

}  // namespace harvel
