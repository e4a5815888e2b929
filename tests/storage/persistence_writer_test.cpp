#include <gtest/gtest.h>

#include "base/temporary_folder.h"
#include "base/thread_dispatch.h"
#include "base/virtual_dispatch.h"
#include "model/settings_document.h"
#include "storage/persistence_writer.h"

namespace tidyframe {
namespace {

class PersistenceWriterTest : public ::testing::Test {
 protected:
  ~PersistenceWriterTest() override {
    writer.reset();
    dispatch.advance(1);
    EXPECT_EQ(dispatch.pendingCount(), 0u);
  }

  std::optional<Json> stored(const std::string& name) const { return Storage::readJson(folder / name); }

  // Counts failed writes and checks that they are reported on the main queue.
  PersistenceWriter::ErrorAction countingErrors() {
    return [this](const std::string& description) {
      EXPECT_TRUE(dispatch.isCurrent(dispatch.main()));
      EXPECT_FALSE(description.empty());
      ++errors;
    };
  }

  TemporaryFolder folder;
  VirtualDispatch dispatch;
  std::unique_ptr<PersistenceWriter> writer = std::make_unique<PersistenceWriter>(dispatch, Storage(folder.path()));
  int errors = 0;
};

TEST_F(PersistenceWriterTest, AHundredSavesEndInOneWriteOfTheLastValueWithoutDroppingOtherFiles) {
  folder.write("blocker", "");
  writer->save("other.json", Json("first"));
  for (int i = 0; i < 100; ++i) {
    writer->save("numbers.json", Json(i));
    writer->save("blocker/numbers.json", Json(i), countingErrors());
  }
  dispatch.advance(0.149);
  EXPECT_FALSE(stored("numbers.json")) << "nothing is written inside the window";
  dispatch.advance(0.001);
  EXPECT_EQ(stored("numbers.json"), Json(99));
  EXPECT_EQ(stored("other.json"), Json("first")) << "a file saved once among the others";
  EXPECT_EQ(errors, 1) << "a hundred failing saves are one write, so one error";

  std::filesystem::remove(folder / "blocker");
  dispatch.advance(1);
  EXPECT_FALSE(stored("blocker/numbers.json")) << "a failed write is not retried";
  writer->save("blocker/numbers.json", Json(100), countingErrors());
  dispatch.advance(0.15);
  EXPECT_EQ(stored("blocker/numbers.json"), Json(100)) << "the next save writes the newest value";
}

TEST_F(PersistenceWriterTest, FlushAndQuittingWriteEverythingPendingAtOnce) {
  Preferences preferences;
  preferences.appearance = "dark";
  writer->save("preferences.json", preferences);
  preferences.appearance = "light";
  writer->save("b.json", Json(2));
  bool completed = false;
  writer->flush([&] {
    EXPECT_TRUE(dispatch.isCurrent(dispatch.main()));
    EXPECT_EQ(Storage::read<Preferences>(folder / "preferences.json").value().appearance, "dark")
        << "a value changed after its save is written as it was";
    EXPECT_EQ(stored("b.json"), Json(2));
    completed = true;
  });
  dispatch.runUntilIdle();
  EXPECT_TRUE(completed) << "the flush does not wait for the window";

  writer = std::make_unique<PersistenceWriter>(dispatch, Storage(folder / "Library/Tidyframe"));
  writer->save("a.json", Json(1));
  writer.reset();
  EXPECT_EQ(Storage::readJson(folder / "Library/Tidyframe/a.json"), Json(1)) << "kept in a folder made for it";
}

// A journal that misses a change would replay to a wrong archive, so lines that failed go out
// with the next ones; a document written over them drops them.
TEST_F(PersistenceWriterTest, FailedJournalLinesGoOutInFrontOfTheNextOnes) {
  const auto lines = [](std::vector<std::string> journal, bool document = false) {
    DocumentUpdate update = document ? DocumentUpdate(Json("doc")) : DocumentUpdate();
    update.journaled = document;
    update.journal = std::move(journal);
    return update;
  };
  std::filesystem::create_directory(folder / "a.journal");
  writer->save("a.json", lines({"1", "2"}), countingErrors());
  dispatch.advance(0.15);
  EXPECT_EQ(errors, 1);
  std::filesystem::remove(folder / "a.journal");
  writer->save("a.json", lines({"3"}));
  dispatch.advance(0.15);
  EXPECT_EQ(folder.contents("a.journal"), "1\n2\n3\n");
  writer->save("a.json", lines({"4"}));
  writer->save("a.json", lines({"5"}, true));
  dispatch.advance(0.15);
  EXPECT_EQ(folder.contents("a.journal"), Storage::journalHeader(folder.contents("a.json")) + "5\n")
      << "the document holds every change saved before it";
}

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
