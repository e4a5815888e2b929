#include <benchmark/benchmark.h>

#ifdef __APPLE__
#include <malloc/malloc.h>
#else
#include <malloc.h>
#endif
// mkdtemp: glibc declares it in <stdlib.h>, macOS in <unistd.h>.
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <stdexcept>

#include "model/settings_document.h"
#include "storage/activity_entry.h"
#include "storage/finder_layout_archive.h"
#include "storage/storage.h"

// While `counting`, allocations are counted, so a benchmark can report the most heap its work
// held at once; counting is off while times are measured.
namespace {
std::atomic<bool> counting{false};
// Signed: memory taken before counting began may be freed while it runs.
std::atomic<std::ptrdiff_t> heapInUse{0};
std::atomic<std::ptrdiff_t> heapPeak{0};

// What the allocator set aside for `memory`, which can exceed what was asked for.
std::ptrdiff_t heapBlockSize(void* memory) {
#ifdef __APPLE__
  return static_cast<std::ptrdiff_t>(malloc_size(memory));
#else
  return static_cast<std::ptrdiff_t>(malloc_usable_size(memory));
#endif
}
}  // namespace

[[gnu::noinline]] void* operator new(std::size_t size) {
  void* memory = std::malloc(size ? size : 1);
  if (!memory) throw std::bad_alloc();
  if (!counting.load(std::memory_order_relaxed)) return memory;
  const auto usable = heapBlockSize(memory);
  const auto now = heapInUse.fetch_add(usable, std::memory_order_relaxed) + usable;
  auto peak = heapPeak.load(std::memory_order_relaxed);
  while (now > peak && !heapPeak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
  }
  return memory;
}
[[gnu::noinline]] void operator delete(void* memory) noexcept {
  if (!memory) return;
  if (counting.load(std::memory_order_relaxed)) {
    heapInUse.fetch_sub(heapBlockSize(memory), std::memory_order_relaxed);
  }
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept { operator delete(memory); }

namespace tidyframe {
namespace {

// A folder for one benchmark, removed when it ends.
class BenchFolder {
 public:
  BenchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tidyframe-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~BenchFolder() { std::filesystem::remove_all(path_); }
  BenchFolder(const BenchFolder&) = delete;
  BenchFolder& operator=(const BenchFolder&) = delete;

  std::filesystem::path file(const char* name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// The most rules an import allows, every other one a device rule with a bookmark of the size
// the system makes for a folder.
Preferences fullSettings() {
  Preferences preferences;
  for (int i = 0; i < 500; ++i) {
    LocationRule rule;
    rule.name = "项目 Folder " + std::to_string(i);
    rule.path = "/Users/demo/Documents/Projects/客户/" + std::to_string(i) + "/Photos";
    rule.includeChildren = i % 3 == 0;
    rule.grouping = Grouping::modified;
    rule.sorting = Sorting::size;
    if (i % 2 == 0) {
      rule.scope = RuleScope::device;
      rule.volumeID = "7A3F0C2E-1111-4222-8333-" + std::to_string(100000000000 + i);
      rule.bookmark = Bytes(700, static_cast<std::uint8_t>(i));
    }
    preferences.rules.push_back(std::move(rule));
  }
  return preferences;
}

// A log at its cap of 500 entries.
std::vector<ActivityEntry> fullLog() {
  std::vector<ActivityEntry> entries;
  for (int i = 0; i < 500; ++i) {
    ActivityEntry entry;
    entry.date = Date{786543210.125 - i * 37.5};
    entry.title = "已应用修改日期分组";
    entry.detail = "/Users/demo/Documents/Projects/客户/" + std::to_string(i) + " · 按大小排序";
    entry.path = "/Users/demo/Documents/Projects/客户/" + std::to_string(i);
    entry.success = i % 10 != 0;
    entry.previousGroup = "None";
    entry.previousSort = "Name";
    entry.windowID = std::to_string(4000 + i);
    entries.push_back(std::move(entry));
  }
  return entries;
}

template <class T>
void writeDocument(benchmark::State& state, const T& value) {
  const BenchFolder folder;
  const auto location = folder.file("document.json");
  for (auto _ : state) {
    if (!Storage::save(value, location)) state.SkipWithError("save failed");
  }
}

template <class T>
void readDocument(benchmark::State& state, const T& value) {
  const BenchFolder folder;
  const auto location = folder.file("document.json");
  if (!Storage::save(value, location)) state.SkipWithError("save failed");
  for (auto _ : state) {
    auto read = Storage::read<T>(location);
    if (!read) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(read);
  }
}

// Without the disk: the encoding a write does before the file system, of which the JSON value
// (toJson) is made on the main queue when a value is saved.
template <class T>
void encodeDocument(benchmark::State& state, const T& value) {
  for (auto _ : state) {
    auto text = writeJson(toJson(value));
    benchmark::DoNotOptimize(text);
  }
}

void BM_SettingsWrite(benchmark::State& state) { writeDocument(state, fullSettings()); }
void BM_SettingsRead(benchmark::State& state) { readDocument(state, fullSettings()); }
void BM_SettingsEncode(benchmark::State& state) { encodeDocument(state, fullSettings()); }
void BM_ActivityWrite(benchmark::State& state) { writeDocument(state, fullLog()); }
void BM_ActivityRead(benchmark::State& state) { readDocument(state, fullLog()); }
void BM_ActivityEncode(benchmark::State& state) { encodeDocument(state, fullLog()); }

OriginalFinderLayout folder(int i) {
  const std::string project = i % 4 == 0 ? "客户" : "Clients";
  return {"/Users/demo/Documents/Projects/" + project + "/" + std::to_string(i) + "/Photos", "icon view",
          "7A3F0C2E-1111-4222-8333-" + std::to_string(100000000000 + i % 7), "None", "Name"};
}

// An archive of `folders` folders as years of use leave it: each folder with its original
// arrangement on its volume and its confirmed fingerprint; every fourth path holds CJK text.
FinderLayoutArchive archiveOf(int folders) {
  FinderLayoutArchive archive;
  for (int i = 0; i < folders; ++i) archive.remember(folder(i), "kind:name:false");
  return archive;
}

// Stores `archive` as a launch finds it: the document written, the journal started.
void store(FinderLayoutArchive& archive, const std::filesystem::path& location, benchmark::State& state) {
  if (!Storage::save(archive.takeUpdate(true), location)) state.SkipWithError("save failed");
}

// Recording one arrangement: the change on the main queue and its journal line written and
// synced on the writer's queue.
void BM_ArchiveRecord(benchmark::State& state) {
  const BenchFolder bench;
  const auto location = bench.file("finder-layouts.json");
  auto archive = archiveOf(static_cast<int>(state.range(0)));
  store(archive, location, state);
  int next = static_cast<int>(state.range(0));
  for (auto _ : state) {
    archive.remember(folder(next++), "kind:name:false");
    if (!Storage::save(archive.takeUpdate(), location)) state.SkipWithError("save failed");
  }
}

// The rewrite at quit, or once the journal holds a quarter of the records: the copy made on
// the main queue, then the encoding and the atomic write.
void BM_ArchiveRewrite(benchmark::State& state) {
  const BenchFolder bench;
  const auto location = bench.file("finder-layouts.json");
  auto archive = archiveOf(static_cast<int>(state.range(0)));
  int next = static_cast<int>(state.range(0));
  for (auto _ : state) {
    archive.remember(folder(next++), "kind:name:false");
    store(archive, location, state);
  }
}

// A launch after a quit, which rewrites the document, or after a crash, with the longest journal
// the rewrite rule lets grow: changes for a quarter of the folders.
void BM_ArchiveLoad(benchmark::State& state) {
  const BenchFolder bench;
  const Storage storage(bench.file(""));
  const auto folders = static_cast<int>(state.range(0));
  auto archive = archiveOf(folders);
  store(archive, storage.layoutsURL(), state);
  const int journalled = state.range(1) ? folders / 4 : 0;
  for (int i = 0; i < journalled; ++i) {
    archive.remember(folder(folders + i), "kind:name:false");
    if ((i % 100 == 99 || i + 1 == journalled) && !Storage::save(archive.takeUpdate(), storage.layoutsURL())) {
      state.SkipWithError("save failed");
    }
  }
  archive = {};
  for (auto _ : state) {
    auto loaded = loadArchive(storage, Date{0});
    state.PauseTiming();
    if (loaded.archive.folders.size() != static_cast<std::size_t>(folders + journalled) ||
        !loaded.archive.journalLength) {
      state.SkipWithError("load failed");
    }
    // Freeing the archive is no part of a launch.
    loaded = {};
    state.ResumeTiming();
  }
  // The heap a load holds at its peak, beyond what was in use before it; frees of memory taken
  // before counting began make the figure a little low, never high.
  counting = true;
  heapInUse = 0;
  heapPeak = 0;
  benchmark::DoNotOptimize(loadArchive(storage, Date{0}));
  counting = false;
  state.counters["peak_MB"] = static_cast<double>(heapPeak.load()) / (1 << 20);
}

constexpr int repetitions = 9;

BENCHMARK(BM_SettingsWrite)->Unit(benchmark::kMillisecond)->Repetitions(repetitions)->ReportAggregatesOnly();
BENCHMARK(BM_SettingsRead)->Unit(benchmark::kMillisecond)->Repetitions(repetitions)->ReportAggregatesOnly();
BENCHMARK(BM_SettingsEncode)->Unit(benchmark::kMillisecond)->Repetitions(repetitions)->ReportAggregatesOnly();
BENCHMARK(BM_ActivityWrite)->Unit(benchmark::kMillisecond)->Repetitions(repetitions)->ReportAggregatesOnly();
BENCHMARK(BM_ActivityRead)->Unit(benchmark::kMillisecond)->Repetitions(repetitions)->ReportAggregatesOnly();
BENCHMARK(BM_ActivityEncode)->Unit(benchmark::kMillisecond)->Repetitions(repetitions)->ReportAggregatesOnly();

BENCHMARK(BM_ArchiveRecord)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond)->Repetitions(3)->ReportAggregatesOnly();
BENCHMARK(BM_ArchiveRewrite)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly();
BENCHMARK(BM_ArchiveLoad)
    ->ArgNames({"folders", "afterCrash"})
    ->Args({1000, 0})
    ->Args({10000, 0})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly();

}  // namespace
}  // namespace tidyframe
