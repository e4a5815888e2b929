#include <gtest/gtest.h>

#include "base/temporary_folder.h"
#include "base/thread_dispatch.h"
#include "storage/persistence_writer.h"

namespace tidyframe {
namespace {

// Saves from the main thread race the writer thread's drains: run under the thread sanitizer
// this shows the writer's state is only touched on its queue, and without it that no save is
// lost or reordered.
TEST(WriterThreadTest, ManySavesFromTheMainThreadEndInTheNewestValues) {
  constexpr int rounds = 40;
  constexpr int savesPerRound = 50;
  const std::vector<std::string> files = {"a.json", "b.json", "c.json"};
  TemporaryFolder folder;
  ThreadDispatch dispatch;
  PersistenceWriter writer(dispatch, Storage(folder.path()));
  int errors = 0;
  int completions = 0;

  std::function<void(int)> round = [&](int index) {
    for (int i = 0; i < savesPerRound; ++i) {
      const auto& file = files[static_cast<std::size_t>(i) % files.size()];
      writer.save(file, Json{{"round", index}, {"i", i}}, [&](const std::string&) { ++errors; });
    }
    if (index % 5 == 0) writer.flush([&] { ++completions; });
    if (index + 1 < rounds) {
      dispatch.main().asyncAfter(0.002, [&round, index] { round(index + 1); });
      return;
    }
    writer.flush([&] {
      ++completions;
      dispatch.stopMainLoop();
    });
  };
  dispatch.main().async([&] { round(0); });
  dispatch.runMainLoop();

  EXPECT_EQ(errors, 0);
  EXPECT_EQ(completions, rounds / 5 + 1);
  for (std::size_t f = 0; f < files.size(); ++f) {
    const int lastI = savesPerRound - 1 - static_cast<int>((savesPerRound - 1 - f) % files.size());
    EXPECT_EQ(Storage::readJson(folder / files[f]), (Json{{"round", rounds - 1}, {"i", lastI}})) << files[f];
  }
  EXPECT_EQ(folder.names(), (std::set<std::string>{"a.json", "b.json", "c.json"}));
}

}  // namespace
}  // namespace tidyframe
