#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>

#include "crawl/crawl_options.h"

namespace harvel {

// One check-box option: its name and the state it starts in. Each front gives
// it its own words: the window's caption (src/main_window/check_captions.h),
// harvel-cli's switch and help line (src/cli/check_switches.h).
struct CheckOption {
  Check check;
  const char* name;  // the option's own name, as Check spells it
  bool onByDefault;  // the state it starts in (harvel-cli keeps FolderOpen off unless asked)
};

// Every check-box option, in the order of Check.
inline constexpr CheckOption kCheckOptions[] = {
    {Check::UserSet, "UserSet", false},
    {Check::Gif, "Gif", true},
    {Check::Jpeg, "Jpeg", true},
    {Check::Png, "Png", true},
    {Check::Htm, "Htm", false},
    {Check::Mail, "Mail", false},
    {Check::Other, "Other", false},
    {Check::FolderOpen, "FolderOpen", true},
    {Check::TextGet, "TextGet", true},
    {Check::PicFastDown, "PicFastDown", true},
    {Check::Renban, "Renban", false},
    {Check::CGI, "CGI", true},
    {Check::CommonURL, "CommonURL", false},
    {Check::ModernPages, "ModernPages", false},
};

inline constexpr std::size_t kCheckCount = std::size(kCheckOptions);

constexpr bool TableFollowsCheckOrder() {
  for (std::size_t i = 0; i < kCheckCount; ++i) {
    if (static_cast<std::size_t>(kCheckOptions[i].check) != i)
      return false;
  }
  return true;
}
static_assert(TableFollowsCheckOrder(), "kCheckOptions lists every Check once, in order");

constexpr const CheckOption& OptionOf(Check check) {
  return kCheckOptions[static_cast<std::size_t>(check)];
}

// The other options' starting values.
inline constexpr const char* kBuiltInUserSetText = "gif,jpg,jpeg,png";
inline constexpr int kDefaultSpeedLevel = 0;
inline constexpr int kDefaultJobs = 6;  // as many connections to one host as a browser opens
inline constexpr int kMaxJobs = 16;
inline constexpr std::optional<std::int64_t> kDefaultMaxFileSize = std::nullopt;  // no limit

}  // namespace harvel
