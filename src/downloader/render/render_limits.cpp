#include "downloader/render/render_limits.h"

#include <string_view>

#include "common/number_settings.h"

namespace harvel {

RenderLimits RenderLimitsFromEnvironment() {
  RenderLimits limits;
  const auto take = [&limits](std::string_view name, long number) {
    if (number == 0)
      return;
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
  };
  ForEachNumberSettingOfVariable("VESKDOWNLOADER_RENDER_LIMITS", take);
  return limits;
}

}  // namespace harvel
