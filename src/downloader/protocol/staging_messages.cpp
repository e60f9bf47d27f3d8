#include "downloader/protocol/staging_messages.h"

#include <algorithm>

#include "downloader/protocol/fields.h"
#include "downloader/protocol/request_fields.h"

namespace harvel {
namespace {

std::optional<StagedFile> ParseTarget(const Message& message, MessageKind kind) {
  if (message.kind != kind)
    return std::nullopt;
  std::optional<FileRequest> request = ReadRequestFields(message.fields, RequestMessage::Stage);
  if (!request)
    return std::nullopt;
  StagedFile staged{std::move(*request)};
  staged.tellLanded = NumberField(message.fields, "tell-landed") == 1;
  if (const auto jobs = NumberField(message.fields, "jobs"))
    staged.jobs = static_cast<int>(std::clamp<long long>(*jobs, 1, kMaxStageJobs));
  return staged;
}

}  // namespace

std::string EncodeStage(const StagedFile& staged, const Hello* peer) {
  Fields fields = WriteRequestFields(staged.request, RequestMessage::Stage, peer);
  fields.emplace_back("jobs", std::to_string(staged.jobs));
  if (staged.tellLanded && (peer == nullptr || peer->has(kFeatureStageLanded)))
    fields.emplace_back("tell-landed", "1");
  return EncodeFieldMessage(MessageKind::Stage, fields);
}

std::string EncodeUnstage(std::string_view url, std::string_view folder) {
  return EncodeFieldMessage(MessageKind::Unstage,
                            {{"url", std::string(url)}, {"folder", std::string(folder)}});
}

std::string EncodeUnstageAll() {
  return EncodeFieldMessage(MessageKind::Unstage, {{"all", "1"}});
}

bool IsUnstageAll(const Message& message) {
  return message.kind == MessageKind::Unstage && NumberField(message.fields, "all") == 1 &&
         !FieldValue(message.fields, "url");
}

std::optional<StagedFile> ParseStage(const Message& message) {
  return ParseTarget(message, MessageKind::Stage);
}

std::optional<StagedFile> ParseUnstage(const Message& message) {
  return ParseTarget(message, MessageKind::Unstage);
}

std::string EncodeLanded(const LandedCopy& landed) {
  Fields fields{{"url", landed.url}, {"folder", landed.folder}, {"path", landed.path}};
  if (!landed.contentType.empty())
    fields.emplace_back("content-type", landed.contentType);
  return EncodeFieldMessage(MessageKind::Landed, fields);
}

std::optional<LandedCopy> ParseLanded(const Message& message) {
  if (message.kind != MessageKind::Landed)
    return std::nullopt;
  const auto url = FieldValue(message.fields, "url");
  const auto folder = FieldValue(message.fields, "folder");
  const auto path = FieldValue(message.fields, "path");
  if (!url || !folder || !path || url->empty() || folder->empty() || path->empty())
    return std::nullopt;
  LandedCopy landed{std::string(*url), std::string(*folder), std::string(*path), {}};
  if (const auto type = FieldValue(message.fields, "content-type"))
    landed.contentType = std::string(*type);
  return landed;
}

}  // namespace harvel
