#include "downloader/render/render_limits.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

namespace harvel {

RenderLimits RenderLimitsFromEnvironment() {
  RenderLimits limits;
  const char* text = std::getenv("VESKDOWNLOADER_RENDER_LIMITS");
  if (text == nullptr)
    return limits;
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t comma = rest.find(',');
    const std::string_view item = rest.substr(0, comma);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    const std::size_t equals = item.find('=');
    if (equals == std::string_view::npos)
      continue;
    const std::string_view name = item.substr(0, equals);
    const std::string_view value = item.substr(equals + 1);
    long number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || end != value.data() + value.size() || number <= 0)
      continue;
    const std::chrono::milliseconds ms(number);
    if (name == "page-ms")
      limits.page = ms;
    else if (name == "load-ms")
      limits.load = ms;
    else if (name == "quiet-ms")
      limits.quiet = ms;
    else if (name == "settle-ms")
      limits.settle = ms;
    else if (name == "capture-ms")
      limits.capture = ms;
  }
  return limits;
}

}  // namespace harvel
