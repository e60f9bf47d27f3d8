// SearchStr over generated pages: the time per MiB must not grow with the page.
#include <benchmark/benchmark.h>

#include <string>

#include "crawl/crawl_context.h"
#include "crawl/link_extraction.h"
#include "crawl/static_crawl_options.h"
#include "idle_services.h"
#include "timed_page_scan.h"

namespace harvel {
namespace {

using test::IdlePump;
using test::NoChannel;
using test::NoShell;

// A page text as the driver builds it: lines behind CR LF (at most 999 of them),
// ordinary markup with a link every 300 bytes or so, some of them repeated, some
// without quotes or dots.
std::string GeneratePage(std::size_t bytes) {
  const std::size_t lineLength = bytes / 900 + 80;
  const char* const kinds[] = {".gif", ".jpg", ".html", ".png", ".pdf", ".jpeg"};
  std::string text;
  text.reserve(bytes + 256);
  std::size_t lineStart = 0;
  for (std::size_t n = 0; text.size() < bytes; ++n) {
    if (text.size() - lineStart >= lineLength || n == 0) {
      text += "\r\n";
      lineStart = text.size();
    }
    const std::size_t id = n % 7 == 0 ? n / 2 : n;  // every 7th link repeats an earlier one
    text +=
        "<p class=\"entry\">Harvel collects files from web sites. It follows the links of "
        "every page it fetches, as far as the level allows, and keeps the kinds of files "
        "that were chosen; everything else is passed over.</p>";
    switch (n % 5) {
      case 0:
        text += "<a href=\"../pages/p" + std::to_string(id) + kinds[2] + "\">page</a>";
        break;
      case 1:
        text += "<img alt=\"\" SRC=\"/pics/i" + std::to_string(id) + kinds[n % 6] + "\">";
        break;
      case 2:
        text += "<img src=no-quotes.gif><a HREF=\"#top\">top</a>";
        break;
      default:
        text += "<img src=\"img/i" + std::to_string(id) + kinds[n % 6] + "\" width=\"1\">";
    }
  }
  return text;
}

void BM_SearchStr(benchmark::State& bench) {
  const std::string page = GeneratePage(static_cast<std::size_t>(bench.range(0)));
  StaticCrawlOptions options;
  options.set(Check::Other, true);
  bench::TimePageScan(bench, options, "http://h.test/dir/page.html",
                      [&page](CrawlContext& context, CrawlState& state) {
                        for (const char* key : {"src=", "SRC=", "href=", "HREF="})
                          SearchStr(context, state, page, key);
                      });
}
BENCHMARK(BM_SearchStr)->Arg(64 << 10)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);

// The cost of a queued link must not grow with the rows already queued and the
// URLs already recorded: 100 pictures (put in front) and 20 pages (appended) are
// queued behind 1,000 or 30,000 rows.
void BM_QueueBehindRows(benchmark::State& bench) {
  const std::int64_t queued = bench.range(0);
  constexpr int kPictures = 100;
  constexpr int kPages = 20;
  std::string page;
  for (int i = 0; i < kPictures; ++i)
    page += "\r\n<img src=\"p" + std::to_string(i) + ".gif\">";
  for (int i = 0; i < kPages; ++i)
    page += "\r\n<a href=\"q" + std::to_string(i) + ".html\">page</a>";
  StaticCrawlOptions options;
  IdlePump pump;
  NoChannel channel;
  NoShell shell;
  CrawlContext context(options, pump, channel, shell, "/tmp/harvel-bench");
  context.load();
  CrawlState& state = *context.state;
  state.rows.push_back({"site", "http://h.test/start.html", "32767"});
  for (std::int64_t i = 0; i < queued; ++i) {
    const std::string url = "http://h.test/queued/" + std::to_string(i) + ".gif";
    state.rows.push_back({"site", url, "3"});
    state.visited.Record(url);
  }
  std::int64_t round = 0;
  for (auto _ : bench) {
    // Every round scans the page from another folder, so its links are new.
    state.CurURL = "http://h.test/r" + std::to_string(round++) + "/page.html";
    state.Level = 32767;
    SearchStr(context, state, page, "src=");
    SearchStr(context, state, page, "href=");
    bench.PauseTiming();
    state.rows.erase(state.rows.begin() + 1, state.rows.begin() + 1 + kPictures);
    state.rows.resize(state.rows.size() - kPages);
    bench.ResumeTiming();
  }
  bench.SetItemsProcessed(bench.iterations() * (kPictures + kPages));
}
BENCHMARK(BM_QueueBehindRows)->Arg(1000)->Arg(30000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace harvel
