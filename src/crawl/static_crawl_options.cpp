#include "crawl/static_crawl_options.h"

namespace harvel {

StaticCrawlOptions::StaticCrawlOptions() {
  // The main window's built-in states.
  for (Check check : {Check::Gif, Check::Jpeg, Check::Png, Check::FolderOpen, Check::TextGet,
                      Check::PicFastDown, Check::CGI}) {
    set(check, true);
  }
}

}  // namespace harvel
