#include "downloader/protocol/staging_messages.h"

#include <algorithm>

#include "downloader/protocol/fields.h"

namespace harvel {
namespace {

std::optional<StageOrder> ParseTarget(const Message& message, MessageKind kind) {
  if (message.kind != kind)
    return std::nullopt;
  const auto url = FieldValue(message.fields, "url");
  const auto folder = FieldValue(message.fields, "folder");
  if (!url || !folder || url->empty() || folder->empty())
    return std::nullopt;
  StageOrder order{std::string(*url), std::string(*folder), {}, {}, 1, {}};
  if (const auto referer = FieldValue(message.fields, "referer"))
    order.referer = std::string(*referer);
  if (const auto maxSize = NumberField(message.fields, "max-size")) {
    if (*maxSize < 0)
      return std::nullopt;
    order.maxSize = *maxSize;
  }
  if (const auto minPicture = FieldValue(message.fields, "min-picture")) {
    const std::optional<PictureSize> size = ParsePictureSize(*minPicture);
    if (!size)
      return std::nullopt;
    order.minPicture = *size;
  }
  order.tellLanded = NumberField(message.fields, "tell-landed") == 1;
  order.validators = FieldValue(message.fields, "validators") == std::string_view("1");
  if (const auto etag = FieldValue(message.fields, "if-none-match"))
    order.ifNoneMatch = std::string(*etag);
  if (const auto since = FieldValue(message.fields, "if-modified-since"))
    order.ifModifiedSince = std::string(*since);
  if (const auto jobs = NumberField(message.fields, "jobs"))
    order.jobs = static_cast<int>(std::clamp<long long>(*jobs, 1, kMaxStageJobs));
  return order;
}

}  // namespace

std::string EncodeStage(const StageOrder& order) {
  Fields fields{{"url", order.url}, {"folder", order.folder}, {"jobs", std::to_string(order.jobs)}};
  if (!order.referer.empty())
    fields.emplace_back("referer", order.referer);
  if (order.maxSize)
    fields.emplace_back("max-size", std::to_string(*order.maxSize));
  if (order.minPicture.isSet())
    fields.emplace_back("min-picture", PictureSizeText(order.minPicture));
  if (order.tellLanded)
    fields.emplace_back("tell-landed", "1");
  if (order.validators)
    fields.emplace_back("validators", "1");
  if (!order.ifNoneMatch.empty())
    fields.emplace_back("if-none-match", order.ifNoneMatch);
  if (!order.ifModifiedSince.empty())
    fields.emplace_back("if-modified-since", order.ifModifiedSince);
  return EncodeFieldMessage(MessageKind::Stage, fields);
}

std::string EncodeUnstage(std::string_view url, std::string_view folder) {
  return EncodeFieldMessage(MessageKind::Unstage,
                            {{"url", std::string(url)}, {"folder", std::string(folder)}});
}

std::optional<StageOrder> ParseStage(const Message& message) {
  return ParseTarget(message, MessageKind::Stage);
}

std::optional<StageOrder> ParseUnstage(const Message& message) {
  return ParseTarget(message, MessageKind::Unstage);
}

std::string EncodeLanded(const LandedMessage& landed) {
  Fields fields{{"url", landed.url}, {"folder", landed.folder}, {"path", landed.path}};
  if (!landed.contentType.empty())
    fields.emplace_back("content-type", landed.contentType);
  return EncodeFieldMessage(MessageKind::Landed, fields);
}

std::optional<LandedMessage> ParseLanded(const Message& message) {
  if (message.kind != MessageKind::Landed)
    return std::nullopt;
  const auto url = FieldValue(message.fields, "url");
  const auto folder = FieldValue(message.fields, "folder");
  const auto path = FieldValue(message.fields, "path");
  if (!url || !folder || !path || url->empty() || folder->empty() || path->empty())
    return std::nullopt;
  LandedMessage landed{std::string(*url), std::string(*folder), std::string(*path), {}};
  if (const auto type = FieldValue(message.fields, "content-type"))
    landed.contentType = std::string(*type);
  return landed;
}

}  // namespace harvel
