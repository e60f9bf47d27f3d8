// The lookahead before each row of a long list of pictures: the time a row
// must not grow with the number of downloads allowed at once (the rows it
// keeps staged ahead).
//   crawl_bench --benchmark_filter=Lookahead
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "crawl/crawl_context.h"
#include "crawl/crawl_state.h"
#include "crawl/staging_lookahead.h"
#include "crawl/static_crawl_options.h"

namespace harvel {
namespace {

class IdlePump : public EventPump {
 public:
  void processPendingEvents() override {}
  void waitForEvents(std::chrono::milliseconds) override {}
};

class StagingChannel : public DownloadChannel {
 public:
  void Downloading(const FileRequest&, std::weak_ptr<Mailbox>) override {}
  bool canStage() const override { return true; }
  void Stage(const StagedFile&) override { ++staged; }
  std::int64_t staged = 0;
};

class NoShell : public Shell {
 public:
  void openFolder(const std::string&) override {}
};

void BM_LookaheadBeforeEachRow(benchmark::State& bench) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("harvel-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder / "T");
  StaticCrawlOptions options;
  options.setSpeedLevel(0);
  options.setJobs(static_cast<int>(bench.range(0)));
  IdlePump pump;
  StagingChannel channel;
  NoShell shell;
  CrawlContext context(options, pump, channel, shell, folder.string());
  context.load();
  CrawlState& state = *context.state;
  std::int64_t next = 0;
  const auto queue = [&] {
    context.insertRow(
        state, state.rows.size(),
        CrawlTarget{"T", "http://h.test/gallery/p" + std::to_string(next++) + ".gif", "0"},
        "http://h.test/gallery/index.html");
  };
  for (int i = 0; i < 2000; ++i)
    queue();
  {
    StagingLookahead lookahead(context);
    const std::string rowFolder = (folder / "T").string();
    for (auto _ : bench) {
      lookahead.beforeRow(state, nullptr);
      lookahead.requested(state.rows.front().url, rowFolder);
      context.removeFirstRow(state);
      queue();
    }
  }
  bench.counters["staged"] = static_cast<double>(channel.staged);
  context.unload();
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_LookaheadBeforeEachRow)->Arg(2)->Arg(6)->Arg(16);

}  // namespace
}  // namespace harvel
