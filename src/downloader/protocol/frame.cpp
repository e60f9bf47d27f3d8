#include "downloader/protocol/frame.h"

#include <utility>

namespace harvel {
namespace {

constexpr std::size_t kHeaderLength = kFrameHeaderLength;
constexpr std::size_t kUrlLengthLength = 4;

void AppendLength(std::string& out, std::size_t length) {
  const auto value = static_cast<std::uint32_t>(length);
  out.push_back(static_cast<char>((value >> 24) & 0xff));
  out.push_back(static_cast<char>((value >> 16) & 0xff));
  out.push_back(static_cast<char>((value >> 8) & 0xff));
  out.push_back(static_cast<char>(value & 0xff));
}

std::size_t ReadLength(std::string_view bytes) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value = (value << 8) | static_cast<unsigned char>(bytes[i]);
  return value;
}

std::string Frame(MessageKind kind, std::string_view payload) {
  std::string out;
  out.reserve(kHeaderLength + payload.size());
  out.push_back(static_cast<char>(kind));
  AppendLength(out, payload.size());
  out.append(payload);
  return out;
}

bool KnownKind(char kind) {
  return kind == static_cast<char>(MessageKind::Request) ||
         kind == static_cast<char>(MessageKind::Notice) ||
         kind == static_cast<char>(MessageKind::Close) ||
         kind == static_cast<char>(MessageKind::Hello) ||
         kind == static_cast<char>(MessageKind::FieldRequest) ||
         kind == static_cast<char>(MessageKind::FieldNotice) ||
         kind == static_cast<char>(MessageKind::Stage) ||
         kind == static_cast<char>(MessageKind::Unstage) ||
         kind == static_cast<char>(MessageKind::Landed) ||
         kind == static_cast<char>(MessageKind::Settings);
}

bool CarriesFields(MessageKind kind) {
  return kind == MessageKind::Hello || kind == MessageKind::FieldRequest ||
         kind == MessageKind::FieldNotice || kind == MessageKind::Stage ||
         kind == MessageKind::Unstage || kind == MessageKind::Landed ||
         kind == MessageKind::Settings;
}

}  // namespace

std::string EncodeRequest(std::string_view url, std::string_view path) {
  std::string payload;
  payload.reserve(kUrlLengthLength + url.size() + 1 + path.size());
  AppendLength(payload, url.size());
  payload.append(url);
  payload.push_back(',');
  payload.append(path);
  return Frame(MessageKind::Request, payload);
}

std::string EncodeNotice(std::string_view text) {
  return Frame(MessageKind::Notice, text);
}

std::string EncodeClose() {
  return Frame(MessageKind::Close, {});
}

std::string EncodeFieldMessage(MessageKind kind, const Fields& fields) {
  return Frame(kind, EncodeFields(fields));
}

void FrameDecoder::feed(std::string_view bytes) {
  if (failed())
    return;
  // Drop what has been decoded so the buffer does not grow with the stream.
  if (consumed_ > 0 && consumed_ >= buffer_.size() / 2) {
    buffer_.erase(0, consumed_);
    consumed_ = 0;
  }
  buffer_.append(bytes);
}

std::optional<Message> FrameDecoder::next() {
  if (failed())
    return std::nullopt;
  const std::string_view rest = std::string_view(buffer_).substr(consumed_);
  if (rest.empty())
    return std::nullopt;
  if (!KnownKind(rest[0])) {
    error_ = "unknown message kind";
    return std::nullopt;
  }
  if (rest.size() < kHeaderLength)
    return std::nullopt;
  const std::size_t length = ReadLength(rest.substr(1));
  if (length > kMaxPayloadLength) {
    error_ = "message longer than " + std::to_string(kMaxPayloadLength) + " bytes";
    return std::nullopt;
  }
  const auto kind = static_cast<MessageKind>(rest[0]);
  if (kind == MessageKind::Request && length < kUrlLengthLength + 1) {
    error_ = "request too short";
    return std::nullopt;
  }
  if (kind == MessageKind::Close && length != 0) {
    error_ = "close message with a payload";
    return std::nullopt;
  }
  if (rest.size() < kHeaderLength + length)
    return std::nullopt;

  std::string_view payload = rest.substr(kHeaderLength, length);
  Message message;
  message.kind = kind;
  if (kind == MessageKind::Request) {
    message.urlLength = ReadLength(payload);
    payload.remove_prefix(kUrlLengthLength);
  }
  if (CarriesFields(kind)) {
    auto fields = DecodeFields(payload);
    if (!fields) {
      error_ = "fields whose lengths do not add up";
      return std::nullopt;
    }
    message.fields = std::move(*fields);
  } else {
    message.text.assign(payload);
  }
  consumed_ += kHeaderLength + length;
  return message;
}

}  // namespace harvel
