// URLBufCheck: the time per check must not grow with the number of recorded URLs.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "crawl/visited_urls.h"

namespace harvel {
namespace {

std::string Url(std::int64_t i) {
  return "http://h.test/gallery/" + std::to_string(i % 97) + "/picture" + std::to_string(i) +
         ".jpg";
}

void BM_URLBufCheck(benchmark::State& bench) {
  const std::int64_t recorded = bench.range(0);
  VisitedUrls visited;
  for (std::int64_t i = 0; i < recorded; ++i)
    visited.Record(Url(i));
  // Half of the asked URLs are recorded, half are not.
  std::vector<std::string> asked;
  for (std::int64_t i = 0; i < 1024; ++i)
    asked.push_back(Url(i % 2 == 0 ? i * recorded / 1024 : recorded + i));
  std::size_t next = 0;
  int found = 0;
  for (auto _ : bench) {
    found += visited.URLBufCheck(asked[next]);
    next = (next + 1) % asked.size();
  }
  benchmark::DoNotOptimize(found);
}
BENCHMARK(BM_URLBufCheck)->Arg(1000)->Arg(30000);

}  // namespace
}  // namespace harvel
