#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "crawl/crawl_context.h"
#include "crawl/static_crawl_options.h"
#include "idle_services.h"

namespace harvel::bench {

// Times `scan(context, state)` over a page of bench.range(0) bytes read at
// `pageUrl`: each round loads a fresh crawl window holding that one row at the
// deepest level, and the load and unload are not timed.
template <typename Scan>
void TimePageScan(benchmark::State& bench, const StaticCrawlOptions& options,
                  const std::string& pageUrl, Scan scan) {
  test::IdlePump pump;
  test::NoChannel channel;
  test::NoShell shell;
  CrawlContext context(options, pump, channel, shell, "/tmp/harvel-bench");
  for (auto _ : bench) {
    bench.PauseTiming();
    context.load();
    CrawlState& state = *context.state;
    state.rows.push_back({"site", pageUrl, "32767"});
    state.CurURL = pageUrl;
    state.Level = 32767;
    bench.ResumeTiming();
    scan(context, state);
    benchmark::DoNotOptimize(state.rows.size());
    bench.PauseTiming();
    context.unload();
    bench.ResumeTiming();
  }
  bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations()) * bench.range(0));
}

}  // namespace harvel::bench
