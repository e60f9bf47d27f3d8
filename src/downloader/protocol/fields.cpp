#include "downloader/protocol/fields.h"

#include <charconv>
#include <cstdint>

namespace harvel {
namespace {

constexpr std::size_t kLengthBytes = 4;

void AppendText(std::string& out, std::string_view text) {
  const auto length = static_cast<std::uint32_t>(text.size());
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<char>((length >> shift) & 0xff));
  out.append(text);
}

// Takes one length-prefixed text off the front of `rest`.
std::optional<std::string_view> TakeText(std::string_view& rest) {
  if (rest.size() < kLengthBytes)
    return std::nullopt;
  std::uint32_t length = 0;
  for (std::size_t i = 0; i < kLengthBytes; ++i)
    length = (length << 8) | static_cast<unsigned char>(rest[i]);
  rest.remove_prefix(kLengthBytes);
  if (length > rest.size())
    return std::nullopt;
  const std::string_view text = rest.substr(0, length);
  rest.remove_prefix(length);
  return text;
}

}  // namespace

std::string EncodeFields(const Fields& fields) {
  std::string out;
  for (const auto& [key, value] : fields) {
    AppendText(out, key);
    AppendText(out, value);
  }
  return out;
}

std::optional<Fields> DecodeFields(std::string_view payload) {
  Fields fields;
  while (!payload.empty()) {
    const auto key = TakeText(payload);
    if (!key)
      return std::nullopt;
    const auto value = TakeText(payload);
    if (!value)
      return std::nullopt;
    fields.emplace_back(std::string(*key), std::string(*value));
  }
  return fields;
}

std::optional<std::string_view> FieldValue(const Fields& fields, std::string_view key) {
  for (const auto& [name, value] : fields) {
    if (name == key)
      return std::string_view(value);
  }
  return std::nullopt;
}

std::optional<long long> NumberField(const Fields& fields, std::string_view key) {
  const auto text = FieldValue(fields, key);
  return text ? NumberValue(*text) : std::nullopt;
}

std::optional<long long> NumberValue(std::string_view text) {
  if (text.empty())
    return std::nullopt;
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size())
    return std::nullopt;
  return value;
}

}  // namespace harvel
