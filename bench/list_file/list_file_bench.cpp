// Loading and saving list files of the sizes that must stay quick: the
// 32767-row count with no sections (every row copies empty values), a full
// list of 32767 rows, and a 100 MB file of lines that are no list at all.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "list_file/list_file.h"

namespace {

namespace fs = std::filesystem;

std::string TempPath(const char* name) {
  return (fs::temp_directory_path() / (std::string("harvel-bench-") + name)).string();
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<harvel::CrawlTarget> FullList() {
  std::vector<harvel::CrawlTarget> rows;
  for (int i = 1; i <= 32767; ++i) {
    rows.push_back(
        {"タイトル" + std::to_string(i), "http://example.com/" + std::to_string(i), "3"});
  }
  return rows;
}

void BM_LoadCountWithoutSections(benchmark::State& state) {
  const std::string path = TempPath("count.hvl");
  Write(path, "[setting]\r\ncount=32767\r\n");
  for (auto _ : state) {
    std::vector<harvel::CrawlTarget> rows;
    harvel::LoadListFile(path, rows);
    benchmark::DoNotOptimize(rows.data());
  }
  fs::remove(path);
}
BENCHMARK(BM_LoadCountWithoutSections)->Unit(benchmark::kMillisecond);

void BM_SaveFullList(benchmark::State& state) {
  const std::string path = TempPath("full.hvl");
  const std::vector<harvel::CrawlTarget> rows = FullList();
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(path);
    state.ResumeTiming();
    harvel::SaveListFile(path, rows);
  }
  fs::remove(path);
}
BENCHMARK(BM_SaveFullList)->Unit(benchmark::kMillisecond);

void BM_SaveFullListOverItself(benchmark::State& state) {
  const std::string path = TempPath("again.hvl");
  const std::vector<harvel::CrawlTarget> rows = FullList();
  harvel::SaveListFile(path, rows);
  for (auto _ : state)
    harvel::SaveListFile(path, rows);
  fs::remove(path);
}
BENCHMARK(BM_SaveFullListOverItself)->Unit(benchmark::kMillisecond);

void BM_LoadFullList(benchmark::State& state) {
  const std::string path = TempPath("load.hvl");
  harvel::SaveListFile(path, FullList());
  for (auto _ : state) {
    std::vector<harvel::CrawlTarget> rows;
    harvel::LoadListFile(path, rows);
    benchmark::DoNotOptimize(rows.data());
  }
  fs::remove(path);
}
BENCHMARK(BM_LoadFullList)->Unit(benchmark::kMillisecond);

std::string Junk() {
  std::string junk;
  junk.reserve(100u << 20);
  std::mt19937 random(1);
  while (junk.size() < (100u << 20))
    junk += static_cast<char>(random());
  return junk;
}

void BM_Load100MegabytesOfJunk(benchmark::State& state) {
  const std::string path = TempPath("junk.hvl");
  Write(path, Junk());
  for (auto _ : state) {
    std::vector<harvel::CrawlTarget> rows;
    harvel::LoadListFile(path, rows);
    benchmark::DoNotOptimize(rows.data());
  }
  fs::remove(path);
}
BENCHMARK(BM_Load100MegabytesOfJunk)->Unit(benchmark::kMillisecond)->Iterations(3);

// A title outside code page 932 turns the whole file into UTF-8, line by line.
void BM_SaveInto100MegabytesOfJunk(benchmark::State& state) {
  const std::string path = TempPath("junk-save.hvl");
  const std::string junk = Junk();
  const std::vector<harvel::CrawlTarget> rows = {{"😀", "http://example.com/", "3"}};
  for (auto _ : state) {
    state.PauseTiming();
    Write(path, junk);
    state.ResumeTiming();
    harvel::SaveListFile(path, rows);
  }
  fs::remove(path);
}
BENCHMARK(BM_SaveInto100MegabytesOfJunk)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
