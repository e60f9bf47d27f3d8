// The record of a folder of 100,000 files, on disk as a crawl keeps it: a
// lookup of a row's URL (found and not found), a file recorded as it lands
// (one transaction each), the digest of a landed picture, and the record's
// size on disk.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>

#include "record/file_sha256.h"
#include "record/record_file.h"

namespace {

namespace fs = std::filesystem;
using harvel::RecordedFile;

constexpr int kFiles = 100000;

std::string Url(int i) {
  return "http://www.example-gallery.test/albums/2025/" + std::to_string(i / 1000) + "/album-" +
         std::to_string(i / 50) + "/photo-" + std::to_string(i) + ".jpg";
}

RecordedFile File(int i) {
  const std::string url = Url(i);
  return RecordedFile{url,
                      url,
                      "photo-" + std::to_string(i) + ".jpg",
                      180000 + i,
                      harvel::Sha256(url),
                      "\"2bf20-" + std::to_string(i) + "\"",
                      "Tue, 01 Jul 2025 10:00:00 GMT",
                      1751364000 + i,
                      ""};
}

std::string NewTitleFolder() {
  std::string folder = (fs::temp_directory_path() / "harvel-record-bench-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr)
    return {};
  return folder + "/title";
}

std::uintmax_t BytesOnDisk(const std::string& titleFolder) {
  std::uintmax_t bytes = 0;
  for (const auto& entry : fs::directory_iterator(harvel::RecordFolderPath(titleFolder)))
    bytes += entry.file_size();
  return bytes;
}

// The record filled once for the lookups.
struct FilledRecord {
  FilledRecord() : title(NewTitleFolder()), opening(harvel::OpenFolderRecord(title)) {
    for (int i = 0; i < kFiles; ++i)
      opening.record->addFile(File(i));
  }
  ~FilledRecord() {
    opening.record.reset();
    fs::remove_all(fs::path(title).parent_path());
  }
  std::string title;
  harvel::RecordOpening opening;
};

FilledRecord& Filled() {
  static FilledRecord filled;
  return filled;
}

void BM_LookupFound(benchmark::State& state) {
  harvel::FolderRecord& record = *Filled().opening.record;
  std::mt19937 random(1);
  std::uniform_int_distribution<int> pick(0, kFiles - 1);
  for (auto _ : state)
    benchmark::DoNotOptimize(record.file(Url(pick(random))));
}
BENCHMARK(BM_LookupFound)->Unit(benchmark::kMicrosecond);

void BM_LookupNotFound(benchmark::State& state) {
  harvel::FolderRecord& record = *Filled().opening.record;
  int i = kFiles;
  for (auto _ : state)
    benchmark::DoNotOptimize(record.file(Url(i++)));
}
BENCHMARK(BM_LookupNotFound)->Unit(benchmark::kMicrosecond);

// 100,000 files recorded one by one into a new record; the time per file and
// the size on disk afterwards.
void BM_Insert100k(benchmark::State& state) {
  std::uintmax_t bytes = 0;
  double seconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string title = NewTitleFolder();
    harvel::RecordOpening opening = harvel::OpenFolderRecord(title);
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kFiles; ++i)
      opening.record->addFile(File(i));
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.PauseTiming();
    opening.record.reset();  // folds the log into the database
    bytes = BytesOnDisk(title);
    fs::remove_all(fs::path(title).parent_path());
    state.ResumeTiming();
  }
  state.counters["us_per_file"] = seconds * 1e6 / kFiles / static_cast<double>(state.iterations());
  state.counters["MiB_on_disk"] = static_cast<double>(bytes) / (1 << 20);
}
BENCHMARK(BM_Insert100k)->Unit(benchmark::kSecond)->Iterations(1);

// The digest of a landed picture of 1 MiB, read back from the page cache.
void BM_DigestOfPicture(benchmark::State& state) {
  const std::string title = NewTitleFolder();
  fs::create_directories(title);
  const std::string path = title + "/photo.jpg";
  {
    std::string bytes(1 << 20, '\0');
    std::mt19937 random(2);
    for (char& c : bytes)
      c = static_cast<char>(random());
    FILE* file = fopen(path.c_str(), "wb");
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
  }
  for (auto _ : state)
    benchmark::DoNotOptimize(harvel::FileSha256(path));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) << 20);
  fs::remove_all(fs::path(title).parent_path());
}
BENCHMARK(BM_DigestOfPicture)->Unit(benchmark::kMicrosecond);

}  // namespace
