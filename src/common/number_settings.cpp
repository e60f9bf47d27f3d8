#include "common/number_settings.h"

#include <charconv>
#include <cstdlib>

namespace harvel {

void ForEachNumberSetting(std::string_view text,
                          const std::function<void(std::string_view name, long number)>& take) {
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t comma = rest.find(',');
    const std::string_view item = rest.substr(0, comma);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    const std::size_t equals = item.find('=');
    if (equals == std::string_view::npos)
      continue;
    const std::string_view value = item.substr(equals + 1);
    long number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || end != value.data() + value.size() || number < 0)
      continue;
    take(item.substr(0, equals), number);
  }
}

void ForEachNumberSettingOfVariable(
    const char* variable, const std::function<void(std::string_view name, long number)>& take) {
  if (const char* text = std::getenv(variable))
    ForEachNumberSetting(text, take);
}

}  // namespace harvel
