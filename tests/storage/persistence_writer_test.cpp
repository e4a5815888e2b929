#include <gtest/gtest.h>

#include "base/virtual_dispatch.h"
#include "model/settings_document.h"
#include "storage/persistence_writer.h"
#include "storage/temporary_folder.h"

namespace tidyframe {
namespace {

class PersistenceWriterTest : public ::testing::Test {
 protected:
  ~PersistenceWriterTest() override {
    writer.reset();
    dispatch.advance(1);
    EXPECT_EQ(dispatch.pendingCount(), 0u);
    for (const auto& name : folder.names()) EXPECT_FALSE(name.starts_with('.')) << "left behind: " << name;
  }

  std::optional<Json> stored(const std::string& name) const { return Storage::readJson(folder / name); }

  // An error action that counts its calls and checks it runs on the main queue.
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

TEST_F(PersistenceWriterTest, AHundredSavesEndInOneWriteOfTheLastValue) {
  for (int i = 0; i < 100; ++i) writer->save("numbers.json", Json(i));
  dispatch.advance(0.149);
  EXPECT_FALSE(stored("numbers.json")) << "nothing is written inside the window";
  dispatch.advance(0.001);
  EXPECT_EQ(stored("numbers.json"), Json(99));
}

TEST_F(PersistenceWriterTest, AHundredFailingSavesFailOnce) {
  folder.write("blocker", "");
  for (int i = 0; i < 100; ++i) writer->save("blocker/numbers.json", Json(i), countingErrors());
  dispatch.advance(0.15);
  EXPECT_EQ(errors, 1) << "one write, so one error";
}

TEST_F(PersistenceWriterTest, SavesToOtherFilesAreNotDropped) {
  writer->save("a.json", Json("a1"));
  writer->save("b.json", Json("b1"));
  writer->save("a.json", Json("a2"));
  dispatch.advance(0.15);
  EXPECT_EQ(stored("a.json"), Json("a2"));
  EXPECT_EQ(stored("b.json"), Json("b1"));
}

TEST_F(PersistenceWriterTest, EachWindowStartsWithTheFirstSaveAfterAWrite) {
  writer->save("doc.json", Json(1));
  dispatch.advance(0.1);
  writer->save("doc.json", Json(2));
  dispatch.advance(0.05);
  EXPECT_EQ(stored("doc.json"), Json(2)) << "a save inside the window joins it";
  writer->save("doc.json", Json(3));
  dispatch.advance(0.149);
  EXPECT_EQ(stored("doc.json"), Json(2)) << "a later save opens a window of its own";
  dispatch.advance(0.001);
  EXPECT_EQ(stored("doc.json"), Json(3));
}

TEST_F(PersistenceWriterTest, AValueChangedAfterSaveIsWrittenAsItWas) {
  Preferences preferences;
  preferences.appearance = "dark";
  writer->save("preferences.json", preferences);
  preferences.appearance = "light";
  preferences.rules.emplace_back();
  dispatch.advance(0.15);
  const auto written = Storage::read<Preferences>(folder / "preferences.json");
  ASSERT_TRUE(written);
  EXPECT_EQ(written->appearance, "dark");
  EXPECT_TRUE(written->rules.empty());
}

TEST_F(PersistenceWriterTest, FlushWritesEverythingPendingBeforeItsCompletion) {
  writer->save("a.json", Json(1));
  writer->save("b.json", Json(2));
  bool completed = false;
  writer->flush([&] {
    EXPECT_TRUE(dispatch.isCurrent(dispatch.main()));
    EXPECT_EQ(stored("a.json"), Json(1));
    EXPECT_EQ(stored("b.json"), Json(2));
    completed = true;
  });
  dispatch.runUntilIdle();
  EXPECT_TRUE(completed) << "the flush does not wait for the window";
}

TEST_F(PersistenceWriterTest, FlushAndWaitWritesBeforeReturning) {
  writer->save("a.json", Json(1));
  writer->flushAndWait();
  EXPECT_EQ(stored("a.json"), Json(1));
}

TEST_F(PersistenceWriterTest, QuittingRightAfterAChangeKeepsIt) {
  writer->save("a.json", Json(1));
  writer.reset();
  EXPECT_EQ(stored("a.json"), Json(1));
}

TEST_F(PersistenceWriterTest, AMissingFolderIsCreated) {
  writer = std::make_unique<PersistenceWriter>(dispatch, Storage(folder / "Library/Tidyframe"));
  writer->save("a.json", Json(1));
  writer->flushAndWait();
  EXPECT_EQ(Storage::readJson(folder / "Library/Tidyframe/a.json"), Json(1));
}

TEST_F(PersistenceWriterTest, AFailedWriteReportsOnMainAndTheDrainGoesOn) {
  folder.write("blocker", "");
  writer->save("blocker/a.json", Json(1), countingErrors());
  writer->save("b.json", Json(2), countingErrors());
  dispatch.advance(0.15);
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(stored("b.json"), Json(2));
}

TEST_F(PersistenceWriterTest, AFailedWriteIsNotRetriedButTheNextSaveWritesTheNewest) {
  folder.write("sub", "");
  writer->save("sub/a.json", Json(1), countingErrors());
  dispatch.advance(0.15);
  EXPECT_EQ(errors, 1);
  std::filesystem::remove(folder / "sub");
  dispatch.advance(1);
  EXPECT_FALSE(stored("sub/a.json")) << "not retried";
  writer->save("sub/a.json", Json(2), countingErrors());
  dispatch.advance(0.15);
  EXPECT_EQ(stored("sub/a.json"), Json(2));
  EXPECT_EQ(errors, 1);
}

}  // namespace
}  // namespace tidyframe
