// The modern page reader over 16 MiB pages made to be slow to parse, beside an
// ordinary page of the same size: the worst should take at most three times
// as long as the ordinary one. Run interleaved on a shared machine:
//   crawl_bench --benchmark_filter=HostilePage --benchmark_repetitions=5
//               --benchmark_enable_random_interleaving=true
#include <benchmark/benchmark.h>

#include <functional>
#include <string>

#include "crawl/modern/modern_links.h"
#include "crawl/modern/page_references.h"
#include "crawl/static_crawl_options.h"
#include "modern_page.h"
#include "timed_page_scan.h"

namespace harvel {
namespace {

constexpr std::size_t kPageSize = kModernPageLimit;
constexpr const char* kPageUrl = "http://h.test/dir/page.html";

// `unit(n)` repeated until the page is full, between `head` and `tail`.
std::string Filled(const std::string& head, const std::function<std::string(std::size_t)>& unit,
                   const std::string& tail = "") {
  std::string page = head;
  page.reserve(kPageSize + 64);
  for (std::size_t n = 0; page.size() + tail.size() < kPageSize; ++n)
    page += unit(n);
  return page.substr(0, kPageSize - tail.size()) + tail;
}

std::string Numbered(const char* before, std::size_t n, const char* after) {
  return before + std::to_string(n) + after;
}

struct HostilePage {
  const char* name;
  std::function<std::string()> make;
};

const HostilePage kPages[] = {
    {"ordinary", [] { return bench::GenerateModernPage(kPageSize); }},
    {"one_tag_of_attributes",
     [] {
       return Filled(
           "<div", [](std::size_t n) { return Numbered(" a", n, "=1"); }, ">");
     }},
    {"tags_of_100_attributes",
     [] {
       std::string tag = "<img";
       for (int i = 0; i < 100; ++i)
         tag += Numbered(" a", static_cast<std::size_t>(i), "=1");
       tag += ">";
       return Filled("", [&tag](std::size_t) { return tag; });
     }},
    {"deep_nesting", [] { return Filled("", [](std::size_t) { return "<div class=d>"; }); }},
    {"nesting_end_tags_cannot_close",
     [] { return Filled("", [](std::size_t) { return "<div></span>"; }); }},
    {"formatting_reopened",
     [] { return Filled("", [](std::size_t n) { return Numbered("<p><b x", n, ">t</p>"); }); }},
    {"a_million_url",
     [] {
       return Filled(
           "<style>", [](std::size_t n) { return Numbered("a{b:url(/u/", n % 1000, ".png)}"); },
           "</style>");
     }},
    {"a_million_srcset_candidates",
     [] {
       return Filled(
           "<img srcset=\"", [](std::size_t n) { return Numbered("/s/", n, ".jpg 1w,"); }, "\">");
     }},
};

void BM_HostilePage(benchmark::State& bench, const HostilePage& kind) {
  const std::string page = kind.make();
  StaticCrawlOptions options;
  options.set(Check::ModernPages, true);
  bench::TimePageScan(bench, options, kPageUrl, [&page](CrawlContext& context, CrawlState& state) {
    QueueReferences(context, state, ReadPageReferences(page, kPageUrl));
  });
}

const bool kRegistered = [] {
  for (const HostilePage& kind : kPages) {
    benchmark::RegisterBenchmark((std::string("BM_HostilePage/") + kind.name).c_str(),
                                 BM_HostilePage, kind)
        ->Arg(static_cast<int64_t>(kPageSize))
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
  }
  return true;
}();

}  // namespace
}  // namespace harvel
