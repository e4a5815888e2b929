#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

#include "model/settings_document.h"
#include "storage/activity_entry.h"
#include "storage/storage.h"

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

constexpr int repetitions = 9;

BENCHMARK(BM_SettingsWrite)->Unit(benchmark::kMillisecond)->Repetitions(repetitions)->ReportAggregatesOnly();
BENCHMARK(BM_SettingsRead)->Unit(benchmark::kMillisecond)->Repetitions(repetitions)->ReportAggregatesOnly();
BENCHMARK(BM_SettingsEncode)->Unit(benchmark::kMillisecond)->Repetitions(repetitions)->ReportAggregatesOnly();
BENCHMARK(BM_ActivityWrite)->Unit(benchmark::kMillisecond)->Repetitions(repetitions)->ReportAggregatesOnly();
BENCHMARK(BM_ActivityRead)->Unit(benchmark::kMillisecond)->Repetitions(repetitions)->ReportAggregatesOnly();
BENCHMARK(BM_ActivityEncode)->Unit(benchmark::kMillisecond)->Repetitions(repetitions)->ReportAggregatesOnly();

}  // namespace
}  // namespace tidyframe
