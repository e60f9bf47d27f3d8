#include "crawl/static_crawl_options.h"

namespace harvel {

StaticCrawlOptions::StaticCrawlOptions() {
  for (const CheckOption& option : kCheckOptions)
    set(option.check, option.onByDefault);
}

}  // namespace harvel
