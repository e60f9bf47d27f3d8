// The modern page reader beside the classic scan, over one generated page of
// today's shape: the time per MiB may be higher but must not grow with the page.
#include <benchmark/benchmark.h>

#include <string>

#include "crawl/crawl_context.h"
#include "crawl/link_extraction.h"
#include "crawl/modern/modern_links.h"
#include "crawl/modern/page_references.h"
#include "crawl/static_crawl_options.h"
#include "modern_page.h"
#include "timed_page_scan.h"

namespace harvel {
namespace {

constexpr const char* kPageUrl = "http://h.test/dir/page.html";

void BM_ModernReader(benchmark::State& bench) {
  const std::string page = bench::GenerateModernPage(static_cast<std::size_t>(bench.range(0)));
  StaticCrawlOptions options;
  options.set(Check::ModernPages, true);
  bench::TimePageScan(bench, options, kPageUrl, [&page](CrawlContext& context, CrawlState& state) {
    QueueReferences(context, state, ReadPageReferences(page, kPageUrl));
  });
}
BENCHMARK(BM_ModernReader)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);

void BM_ClassicScanOfTheSamePage(benchmark::State& bench) {
  const std::string page = bench::GenerateModernPage(static_cast<std::size_t>(bench.range(0)));
  bench::TimePageScan(bench, StaticCrawlOptions{}, kPageUrl,
                      [&page](CrawlContext& context, CrawlState& state) {
                        for (const char* key : {"src=", "SRC=", "href=", "HREF="})
                          SearchStr(context, state, page, key);
                      });
}
BENCHMARK(BM_ClassicScanOfTheSamePage)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace harvel
