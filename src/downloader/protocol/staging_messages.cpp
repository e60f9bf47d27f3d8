#include "downloader/protocol/staging_messages.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace harvel {
namespace {

constexpr std::size_t kLengthBytes = 4;
constexpr int kMaxJobs = 16;

void AppendPart(std::string& out, std::string_view part) {
  const auto length = static_cast<std::uint32_t>(part.size());
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<char>((length >> shift) & 0xff));
  out.append(part);
}

std::optional<std::string_view> TakePart(std::string_view& rest) {
  if (rest.size() < kLengthBytes)
    return std::nullopt;
  std::uint32_t length = 0;
  for (std::size_t i = 0; i < kLengthBytes; ++i)
    length = (length << 8) | static_cast<unsigned char>(rest[i]);
  rest.remove_prefix(kLengthBytes);
  if (length > rest.size())
    return std::nullopt;
  const std::string_view part = rest.substr(0, length);
  rest.remove_prefix(length);
  return part;
}

std::optional<int> Number(const std::optional<std::string>& text) {
  if (!text)
    return std::nullopt;
  int value = 0;
  const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
  if (error != std::errc() || end != text->data() + text->size())
    return std::nullopt;
  return value;
}

std::optional<StageOrder> ParseTarget(const Message& message, MessageKind kind) {
  if (message.kind != kind)
    return std::nullopt;
  const auto fields = DecodeFields(message.text);
  if (!fields)
    return std::nullopt;
  auto url = FieldValue(*fields, "url");
  auto folder = FieldValue(*fields, "folder");
  if (!url || !folder || url->empty() || folder->empty())
    return std::nullopt;
  StageOrder order{std::move(*url), std::move(*folder), 1};
  if (const auto jobs = Number(FieldValue(*fields, "jobs")))
    order.jobs = std::clamp(*jobs, 1, kMaxJobs);
  return order;
}

}  // namespace

std::string EncodeFields(const Fields& fields) {
  std::string out;
  for (const auto& [name, value] : fields) {
    AppendPart(out, name);
    AppendPart(out, value);
  }
  return out;
}

std::optional<Fields> DecodeFields(std::string_view payload) {
  Fields fields;
  while (!payload.empty()) {
    const auto name = TakePart(payload);
    if (!name)
      return std::nullopt;
    const auto value = TakePart(payload);
    if (!value)
      return std::nullopt;
    fields.emplace_back(std::string(*name), std::string(*value));
  }
  return fields;
}

std::optional<std::string> FieldValue(const Fields& fields, std::string_view name) {
  for (const auto& [key, value] : fields) {
    if (key == name)
      return value;
  }
  return std::nullopt;
}

bool Hello::can(std::string_view capability) const {
  return std::find(capabilities.begin(), capabilities.end(), capability) != capabilities.end();
}

std::string EncodeHello(const Hello& hello) {
  std::string list;
  for (const std::string& capability : hello.capabilities)
    list += (list.empty() ? "" : ",") + capability;
  return EncodeFrame(MessageKind::Hello, EncodeFields({{"version", std::to_string(hello.version)},
                                                       {"capabilities", list}}));
}

std::optional<Hello> ParseHello(const Message& message) {
  if (message.kind != MessageKind::Hello)
    return std::nullopt;
  const auto fields = DecodeFields(message.text);
  if (!fields)
    return std::nullopt;
  const auto version = Number(FieldValue(*fields, "version"));
  if (!version || *version < 1)
    return std::nullopt;
  Hello hello{*version, {}};
  const std::string list = FieldValue(*fields, "capabilities").value_or("");
  std::size_t start = 0;
  while (start < list.size()) {
    const std::size_t comma = std::min(list.find(',', start), list.size());
    if (comma > start)
      hello.capabilities.push_back(list.substr(start, comma - start));
    start = comma + 1;
  }
  return hello;
}

std::string EncodeStage(const StageOrder& order) {
  return EncodeFrame(MessageKind::Stage, EncodeFields({{"url", order.url},
                                                       {"folder", order.folder},
                                                       {"jobs", std::to_string(order.jobs)}}));
}

std::string EncodeUnstage(std::string_view url, std::string_view folder) {
  return EncodeFrame(MessageKind::Unstage,
                     EncodeFields({{"url", std::string(url)}, {"folder", std::string(folder)}}));
}

std::optional<StageOrder> ParseStage(const Message& message) {
  return ParseTarget(message, MessageKind::Stage);
}

std::optional<StageOrder> ParseUnstage(const Message& message) {
  return ParseTarget(message, MessageKind::Unstage);
}

}  // namespace harvel
