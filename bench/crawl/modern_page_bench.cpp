// The modern page reader beside the classic scan, over one generated page of
// today's shape: the time per MiB may be higher but must not grow with the page.
#include <benchmark/benchmark.h>

#include <string>

#include "crawl/crawl_context.h"
#include "crawl/link_extraction.h"
#include "crawl/modern/modern_links.h"
#include "crawl/modern/page_references.h"
#include "crawl/static_crawl_options.h"
#include "timed_page_scan.h"

namespace harvel {
namespace {

// Posts of a blog, one after another: nested markup, text, lazy pictures with
// srcset, CSS backgrounds, links; every 7th picture repeats an earlier one.
std::string GenerateModernPage(std::size_t bytes) {
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

constexpr const char* kPageUrl = "http://h.test/dir/page.html";

void BM_ModernReader(benchmark::State& bench) {
  const std::string page = GenerateModernPage(static_cast<std::size_t>(bench.range(0)));
  StaticCrawlOptions options;
  options.set(Check::ModernPages, true);
  bench::TimePageScan(bench, options, kPageUrl, [&page](CrawlContext& context, CrawlState& state) {
    QueueReferences(context, state, ReadPageReferences(page, kPageUrl));
  });
}
BENCHMARK(BM_ModernReader)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);

void BM_ClassicScanOfTheSamePage(benchmark::State& bench) {
  const std::string page = GenerateModernPage(static_cast<std::size_t>(bench.range(0)));
  bench::TimePageScan(bench, StaticCrawlOptions{}, kPageUrl,
                      [&page](CrawlContext& context, CrawlState& state) {
                        for (const char* key : {"src=", "SRC=", "href=", "HREF="})
                          SearchStr(context, state, page, key);
                      });
}
BENCHMARK(BM_ClassicScanOfTheSamePage)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace harvel
