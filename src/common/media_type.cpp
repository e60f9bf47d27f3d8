#include "common/media_type.h"

#include "common/ascii_text.h"

namespace harvel {
namespace {

// The parameter value at the start of `rest` (quoted or not), and what
// follows it; `rest` is left after the value.
std::string TakeValue(std::string_view& rest) {
  if (!rest.starts_with('"')) {
    const std::size_t end = std::min(rest.find(';'), rest.size());
    std::string value(Trimmed(rest.substr(0, end)));
    rest.remove_prefix(end);
    return value;
  }
  std::string value;
  std::size_t i = 1;
  for (; i < rest.size() && rest[i] != '"'; ++i) {
    if (rest[i] == '\\' && i + 1 < rest.size())
      ++i;
    value += rest[i];
  }
  rest.remove_prefix(std::min(i + 1, rest.size()));
  rest.remove_prefix(std::min(rest.find(';'), rest.size()));
  return value;
}

}  // namespace

std::optional<std::string> MediaType::parameter(std::string_view name) const {
  for (const auto& [key, value] : parameters) {
    if (key == name)
      return value;
  }
  return std::nullopt;
}

std::optional<MediaType> ParseMediaType(std::string_view text) {
  const std::size_t semicolon = std::min(text.find(';'), text.size());
  const std::string_view essence = text.substr(0, semicolon);
  const std::size_t slash = essence.find('/');
  if (slash == std::string_view::npos)
    return std::nullopt;
  MediaType media;
  media.type = AsciiLower(Trimmed(essence.substr(0, slash)));
  media.subtype = AsciiLower(Trimmed(essence.substr(slash + 1)));
  if (media.type.empty() || media.subtype.empty())
    return std::nullopt;
  std::string_view rest = text.substr(semicolon);
  while (!rest.empty()) {
    rest.remove_prefix(1);  // the ";"
    rest = Trimmed(rest, " \t");
    const std::size_t equals = rest.find('=');
    const std::size_t end = std::min(rest.find(';'), rest.size());
    if (equals == std::string_view::npos || equals > end) {
      rest.remove_prefix(end);
      continue;
    }
    std::string name = AsciiLower(Trimmed(rest.substr(0, equals)));
    rest.remove_prefix(equals + 1);
    rest = Trimmed(rest);
    std::string value = TakeValue(rest);
    if (!name.empty())
      media.parameters.emplace_back(std::move(name), std::move(value));
  }
  return media;
}

}  // namespace harvel
