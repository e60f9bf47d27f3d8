// A rule against a URL: the time must grow with the URL's length and not with
// the ways a hostile pattern could be spread over it.
#include <benchmark/benchmark.h>

#include <string>

#include "crawl/url_rules.h"

namespace harvel {
namespace {

// 40 stars each before an "a", and a "b" the URL never holds: a backtracking
// matcher tries every way of spreading the URL over the stars.
void BM_HostileRuleOnLongUrl(benchmark::State& bench) {
  std::string hostile;
  for (int i = 0; i < 40; ++i)
    hostile += "*a";
  std::string error;
  const UrlRules rules({*ParseUrlRule(false, hostile + "*b", error)});
  const std::string url = "http://h.test/" + std::string(bench.range(0), 'a');
  for (auto _ : bench)
    benchmark::DoNotOptimize(rules.judge(url, false).taken);
  bench.SetBytesProcessed(bench.iterations() * static_cast<std::int64_t>(url.size()));
}
BENCHMARK(BM_HostileRuleOnLongUrl)->RangeMultiplier(4)->Range(1 << 10, 1 << 16);

}  // namespace
}  // namespace harvel
