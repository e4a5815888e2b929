#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <random>
#include <thread>

#include "base/temporary_folder.h"
#include "storage/save_loop_value.h"
#include "storage/storage.h"

namespace tidyframe {
namespace {

// Starts the helper with its two arguments and returns once it has saved its first value (or
// died), with the pid.
pid_t startSaveLoop(const std::string& first, const std::string& second) {
  int ready[2];
  if (::pipe(ready) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(ready[1], STDOUT_FILENO);
    ::execl(SAVE_LOOP_HELPER, SAVE_LOOP_HELPER, first.c_str(), second.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(ready[1]);
  char signal = 0;
  while (::read(ready[0], &signal, 1) < 0 && errno == EINTR) {
  }
  ::close(ready[0]);
  return child;
}

// An instrumented helper takes a fifth of a second to start and spends nearly all its time
// encoding, so fewer kills are made and fewer of them land inside a write.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr bool instrumented = true;
#else
constexpr bool instrumented = false;
#endif
constexpr int kills = instrumented ? 50 : 200;

// Starts the helper `kills` times, kills it at a random instant and runs `check` after each kill.
void killRepeatedly(const std::function<std::pair<std::string, std::string>()>& arguments,
                    const std::function<void(int kill)>& check) {
  std::mt19937 random(20261206);
  std::uniform_int_distribution<int> microseconds(0, 4000);
  for (int kill = 0; kill < kills && !::testing::Test::HasFatalFailure(); ++kill) {
    const auto [first, second] = arguments();
    const pid_t child = startSaveLoop(first, second);
    ASSERT_GT(child, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(microseconds(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the helper stopped on its own, status " << status;
    check(kill);
  }
}

// Kills the helper at random instants while it replaces the document over and over, and checks
// after every kill that the document is one complete value, never older than the helper's
// first save of that run.
TEST(CrashSafetyTest, AKilledSaveLeavesTheOldOrTheNewCompleteDocument) {
  TemporaryFolder folder;
  const auto document = folder / "Tidyframe/doc.json";
  long long last = -1;
  killRepeatedly([&] { return std::pair(document.string(), std::to_string(last + 1)); },
                 [&](int kill) {
                   const auto stored = Storage::readJson(document);
                   ASSERT_TRUE(stored) << "the document is missing or torn after kill " << kill;
                   const auto n = saveLoopNumber(*stored);
                   ASSERT_TRUE(n) << "a torn document after kill " << kill;
                   ASSERT_GT(*n, last) << "the helper's first save is missing after kill " << kill;
                   last = *n;
                 });

  // A kill between creating and renaming a temporary file leaves it behind; loading the
  // document at the next launch clears them away.
  if (!instrumented) {
    EXPECT_GT(TemporaryFolder::namesIn(document.parent_path()).size(), 1u) << "no kill landed inside a write";
  }
  const Storage storage(document.parent_path());
  EXPECT_EQ(storage.load<Json>("doc.json", Date{0}).value, Storage::readJson(document));
  EXPECT_EQ(TemporaryFolder::namesIn(document.parent_path()), (std::set<std::string>{"doc.json"}));
}

// The same for the layout archive, whose changes go to the journal and whose document is
// rewritten as the journal grows: after every kill the archive reads as it was after some
// change, never before the helper's first change of that run, and nothing was kept aside.
TEST(CrashSafetyTest, AKilledJournalAppendOrRewriteLeavesTheArchiveBeforeOrAfterTheChange) {
  TemporaryFolder folder;
  const Storage storage(folder.path());
  std::size_t last = 0;
  killRepeatedly([&] { return std::pair(folder.path().string(), std::string("archive")); },
                 [&](int kill) {
                   const auto loaded = loadArchive(storage, Date{0});
                   const auto count = loaded.archive.folders.size();
                   ASSERT_GT(count, last) << "the helper's first change is missing after kill " << kill;
                   ASSERT_EQ(loaded.archive, archiveAfter(count)) << "a change half made after kill " << kill;
                   ASSERT_EQ(folder.names(), (std::set<std::string>{"finder-layouts.journal", "finder-layouts.json"}))
                       << "after kill " << kill;
                   last = count;
                 });
}

}  // namespace
}  // namespace tidyframe
