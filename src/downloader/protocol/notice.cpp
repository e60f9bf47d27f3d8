#include "downloader/protocol/notice.h"

namespace harvel {
namespace {

constexpr const char* kCountKey = "count";
constexpr const char* kOutcomeKey = "outcome";
constexpr const char* kReasonKey = "reason";
constexpr const char* kReasonTextKey = "reason-text";
constexpr const char* kHttpStatusKey = "http-status";
constexpr const char* kBytesKey = "bytes";
constexpr const char* kElapsedKey = "elapsed-ms";
constexpr const char* kContentTypeKey = "content-type";
constexpr const char* kFinalUrlKey = "final-url";
constexpr const char* kEtagKey = "etag";
constexpr const char* kLastModifiedKey = "last-modified";
constexpr const char* kRenderedKey = "rendered";
constexpr const char* kPicturesKey = "pictures";
constexpr const char* kPictureBytesKey = "picture-bytes";

// The pictures named in a notice, one a line; beyond this many bytes the
// rest are left out, so that a notice always fits its frame.
constexpr std::size_t kMostPictureListBytes = 512u << 10;

std::string PictureLines(const std::vector<std::string>& pictures) {
  std::string lines;
  for (const std::string& url : pictures) {
    if (url.empty() || url.find_first_of("\r\n") != std::string::npos)
      continue;
    if (lines.size() + url.size() + 1 > kMostPictureListBytes)
      break;
    if (!lines.empty())
      lines += '\n';
    lines += url;
  }
  return lines;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const auto end = text.find('\n');
    if (end != 0)
      lines.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos)
      break;
    text.remove_prefix(end + 1);
  }
  return lines;
}
constexpr const char* kLanded = "landed";
constexpr const char* kFailed = "failed";
constexpr const char* kNotModified = "not-modified";
constexpr const char* kTooSmall = "too-small";
constexpr const char* kRobotsExcluded = "robots-excluded";
constexpr const char* kPictureSizeKey = "picture-size";

std::string Text(std::optional<std::string_view> value) {
  return value ? std::string(*value) : std::string();
}

}  // namespace

std::string EncodeFieldNotice(const DownloadNotice& notice) {
  Fields fields{
      {kCountKey, notice.count},
      {kOutcomeKey, notice.tooSmall         ? kTooSmall
                    : notice.robotsExcluded ? kRobotsExcluded
                    : notice.landed         ? kLanded
                    : notice.notModified    ? kNotModified
                                            : kFailed},
      {kReasonKey, notice.reason},
      {kReasonTextKey, notice.reasonText},
      {kHttpStatusKey, std::to_string(notice.httpStatus)},
      {kBytesKey, std::to_string(notice.bytes)},
      {kElapsedKey, std::to_string(notice.elapsedMs)},
  };
  if (!notice.contentType.empty())
    fields.emplace_back(kContentTypeKey, notice.contentType);
  if (!notice.finalUrl.empty())
    fields.emplace_back(kFinalUrlKey, notice.finalUrl);
  if (notice.tooSmall)
    fields.emplace_back(kPictureSizeKey, PictureSizeText(*notice.tooSmall));
  if (!notice.etag.empty())
    fields.emplace_back(kEtagKey, notice.etag);
  if (!notice.lastModified.empty())
    fields.emplace_back(kLastModifiedKey, notice.lastModified);
  if (notice.rendered) {
    fields.emplace_back(kRenderedKey, "1");
    fields.emplace_back(kPicturesKey, PictureLines(notice.pictures));
    fields.emplace_back(kPictureBytesKey, std::to_string(notice.pictureBytes));
  }
  return EncodeFieldMessage(MessageKind::FieldNotice, fields);
}

std::optional<DownloadNotice> ParseNotice(const Message& message) {
  DownloadNotice notice;
  if (message.kind == MessageKind::Notice) {
    notice.count = message.text;
    return notice;
  }
  if (message.kind != MessageKind::FieldNotice)
    return std::nullopt;
  const Fields& fields = message.fields;
  notice.detailed = true;
  notice.count = Text(FieldValue(fields, kCountKey));
  // Anything but "landed" is a failure: a notice never claims a file it did not name.
  notice.landed = FieldValue(fields, kOutcomeKey) == std::string_view(kLanded);
  notice.notModified = FieldValue(fields, kOutcomeKey) == std::string_view(kNotModified);
  notice.reason = Text(FieldValue(fields, kReasonKey));
  notice.reasonText = Text(FieldValue(fields, kReasonTextKey));
  if (const auto status = NumberField(fields, kHttpStatusKey);
      status && *status >= 0 && *status < 1000)
    notice.httpStatus = static_cast<int>(*status);
  notice.bytes = NumberField(fields, kBytesKey).value_or(0);
  notice.elapsedMs = NumberField(fields, kElapsedKey).value_or(0);
  notice.contentType = Text(FieldValue(fields, kContentTypeKey));
  notice.finalUrl = Text(FieldValue(fields, kFinalUrlKey));
  notice.etag = Text(FieldValue(fields, kEtagKey));
  notice.lastModified = Text(FieldValue(fields, kLastModifiedKey));
  notice.rendered = FieldValue(fields, kRenderedKey) == std::string_view("1");
  if (notice.rendered) {
    notice.pictures = SplitLines(FieldValue(fields, kPicturesKey).value_or(std::string_view()));
    notice.pictureBytes = NumberField(fields, kPictureBytesKey).value_or(0);
  }
  if (FieldValue(fields, kOutcomeKey) == std::string_view(kTooSmall)) {
    const auto size = FieldValue(fields, kPictureSizeKey);
    notice.tooSmall = ParseReadPictureSize(size.value_or("")).value_or(PictureSize{});
  }
  notice.robotsExcluded = FieldValue(fields, kOutcomeKey) == std::string_view(kRobotsExcluded);
  if (!notice.landed && !notice.notModified && notice.reason.empty())
    notice.reason = notice.tooSmall         ? kTooSmallReason
                    : notice.robotsExcluded ? kRobotsReason
                                            : failure::kOther;
  return notice;
}

}  // namespace harvel
