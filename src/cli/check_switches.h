#pragma once

#include <cstddef>
#include <iterator>

#include "crawl/option_table.h"

namespace harvel {

// harvel-cli's switch for one check-box option: --FLAG / --no-FLAG and its
// --help words.
struct CheckSwitch {
  Check check;
  const char* flag;  // nullptr: no such switch
  const char* help;  // a '\n' starts a continuation line
};

// One row for every check-box option, in the order of Check.
inline constexpr CheckSwitch kCheckSwitches[] = {
    {Check::UserSet, nullptr, nullptr},
    {Check::Gif, "gif", "collect GIF pictures"},
    {Check::Jpeg, "jpeg", "collect JPEG pictures"},
    {Check::Png, "png", "collect PNG pictures"},
    {Check::Htm, "html", "keep HTML pages"},
    {Check::Mail, "mail", "collect mail addresses into メールアドレス.txt"},
    {Check::Other, "other", "collect other files"},
    {Check::FolderOpen, nullptr, nullptr},
    {Check::TextGet, "text-links", "other types too, unless the file there is binary"},
    {Check::PicFastDown, "pictures-first", "download pictures first"},
    {Check::Renban, "number", "number files instead of overwriting them"},
    {Check::CGI, "cgi", "follow and collect CGI links"},
    {Check::CommonURL, nullptr, nullptr},
    {Check::ModernPages, "modern-pages",
     "read pages with an HTML5 parser: srcset, CSS,\nlazy loading, names without queries"},
};

constexpr bool SwitchesFollowCheckOrder() {
  if (std::size(kCheckSwitches) != kCheckCount)
    return false;
  for (std::size_t i = 0; i < kCheckCount; ++i) {
    if (static_cast<std::size_t>(kCheckSwitches[i].check) != i)
      return false;
  }
  return true;
}
static_assert(SwitchesFollowCheckOrder(), "kCheckSwitches lists every Check once, in order");

constexpr const CheckSwitch& SwitchOf(Check check) {
  return kCheckSwitches[static_cast<std::size_t>(check)];
}

}  // namespace harvel
