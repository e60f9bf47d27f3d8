#include "downloader/partial_range.h"

#include <charconv>

#include "common/ascii_text.h"

namespace harvel {
namespace {

// A decimal number at the start of `text`, taken off it.
std::optional<std::int64_t> TakeNumber(std::string_view& text) {
  std::int64_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end == text.data() || number < 0)
    return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return number;
}

bool TakeText(std::string_view& text, std::string_view prefix) {
  if (!text.starts_with(prefix))
    return false;
  text.remove_prefix(prefix.size());
  return true;
}

}  // namespace

std::optional<ContentRange> ParseContentRange(std::string_view value) {
  value = Trimmed(value);
  if (!TakeText(value, "bytes "))
    return std::nullopt;
  ContentRange range;
  const auto first = TakeNumber(value);
  if (!first || !TakeText(value, "-"))
    return std::nullopt;
  const auto last = TakeNumber(value);
  if (!last || !TakeText(value, "/"))
    return std::nullopt;
  const auto length = TakeNumber(value);
  if (!length || !value.empty() || *first > *last || *last >= *length)
    return std::nullopt;
  range.first = *first;
  range.last = *last;
  range.length = *length;
  return range;
}

std::optional<std::int64_t> ParseUnsatisfiedRange(std::string_view value) {
  value = Trimmed(value);
  if (!TakeText(value, "bytes */"))
    return std::nullopt;
  const auto length = TakeNumber(value);
  if (!length || !value.empty())
    return std::nullopt;
  return length;
}

bool RangeContinues(const ContentRange& range, const HeldPart& held) {
  return range.first <= held.size && range.last == range.length - 1 && range.length > held.size &&
         (held.length < 0 || range.length == held.length);
}

bool RangeIsWhole(const ContentRange& range) {
  return range.first == 0 && range.last == range.length - 1;
}

}  // namespace harvel
