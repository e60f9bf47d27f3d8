#include "common/number_text.h"

#include <algorithm>

#include "common/ascii_text.h"

namespace harvel {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::optional<std::int16_t> TextToInt16(std::string_view text) {
  text = Trimmed(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view{} : text.substr(point + 1);
  if (whole.empty() && fraction.empty())
    return std::nullopt;

  // Anything above this is out of range whatever the fraction says.
  constexpr std::int64_t kCap = 1'000'000;
  std::int64_t magnitude = 0;
  for (char c : whole) {
    if (!IsDigit(c))
      return std::nullopt;
    magnitude = std::min(kCap, magnitude * 10 + (c - '0'));
  }
  for (char c : fraction) {
    if (!IsDigit(c))
      return std::nullopt;
  }

  // Round half to even on the fraction's digits.
  if (!fraction.empty()) {
    const char first = fraction.front();
    const bool restZero = fraction.find_first_not_of('0', 1) == std::string_view::npos;
    if (first > '5' || (first == '5' && !restZero) ||
        (first == '5' && restZero && magnitude % 2 == 1)) {
      ++magnitude;
    }
  }

  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value < INT16_MIN || value > INT16_MAX)
    return std::nullopt;
  return static_cast<std::int16_t>(value);
}

std::string DecimalText(std::int64_t value) {
  return std::to_string(value);
}

}  // namespace harvel
