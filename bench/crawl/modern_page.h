#pragma once

#include <string>

namespace harvel::bench {

// Posts of a blog, one after another: nested markup, text, lazy pictures with
// srcset, CSS backgrounds, links; every 7th picture repeats an earlier one.
inline std::string GenerateModernPage(std::size_t bytes) {
  std::string page =
      "<!DOCTYPE html><html><head><style>body{background:url(bg.png)}</style>"
      "</head><body>\r\n";
  page.reserve(bytes + 1024);
  for (std::size_t n = 0; page.size() < bytes; ++n) {
    const std::string id = std::to_string(n % 7 == 0 ? n / 2 : n);
    page += "<article class=\"post\"><div class=\"entry\"><h2><a href=\"/posts/" + id +
            ".html\">Post " + id +
            "</a></h2>\r\n<p>Harvel collects files from web sites. It follows the links of "
            "every page it fetches, as far as the level allows.</p>\r\n"
            "<figure><img src=\"data:image/gif;base64,R0lGOD\" data-src=\"/up/" +
            id + "-300.jpg\" data-srcset=\"/up/" + id + "-300.jpg 300w, /up/" + id +
            "-1024.jpg 1024w\" alt=\"\"></figure>\r\n<div style=\"background-image:url('/bg/" + id +
            ".webp')\"></div><img SRC='/pics/" + id + ".PNG?v=2'></div></article>\r\n";
  }
  return page + "</body></html>";
}

}  // namespace harvel::bench
