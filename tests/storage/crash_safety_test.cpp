#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "storage/save_loop_value.h"
#include "storage/storage.h"
#include "storage/temporary_folder.h"

namespace tidyframe {
namespace {

pid_t startSaveLoop(const std::filesystem::path& document, long long first) {
  const std::string path = document.string();
  const std::string start = std::to_string(first);
  const pid_t child = ::fork();
  if (child == 0) {
    ::execl(SAVE_LOOP_HELPER, SAVE_LOOP_HELPER, path.c_str(), start.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  return child;
}

// Kills the helper at random instants while it replaces the document, and checks after every
// kill that the document is one complete value: the last one seen, or a newer one.
TEST(CrashSafetyTest, AKilledSaveLeavesTheOldOrTheNewCompleteDocument) {
  constexpr int kills = 300;
  TemporaryFolder folder;
  const auto document = folder / "Tidyframe/doc.json";
  std::mt19937 random(20261206);
  std::uniform_int_distribution<int> microseconds(500, 15000);
  long long last = -1;
  int replaced = 0;

  for (int kill = 0; kill < kills; ++kill) {
    const pid_t child = startSaveLoop(document, last + 1);
    ASSERT_GT(child, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(microseconds(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the helper stopped on its own, status " << status;

    const auto stored = Storage::readJson(document);
    if (!stored) {
      ASSERT_EQ(last, -1) << "the document vanished after kill " << kill;
      continue;
    }
    const auto n = saveLoopNumber(*stored);
    ASSERT_TRUE(n) << "a torn document after kill " << kill;
    ASSERT_GE(*n, last) << "an older value came back after kill " << kill;
    if (*n > last) ++replaced;
    last = *n;
  }
  EXPECT_GT(replaced, kills / 4) << "the helper rarely got to save: the test proves little";

  // A kill between creating and renaming a temporary file leaves it behind; loading the
  // document at the next launch clears them away.
  EXPECT_GT(TemporaryFolder::namesIn(document.parent_path()).size(), 1u) << "no kill landed inside a write";
  const Storage storage(document.parent_path());
  EXPECT_EQ(storage.load<Json>("doc.json", Date{0}).value, Storage::readJson(document));
  EXPECT_EQ(TemporaryFolder::namesIn(document.parent_path()), (std::set<std::string>{"doc.json"}));
}

}  // namespace
}  // namespace tidyframe
