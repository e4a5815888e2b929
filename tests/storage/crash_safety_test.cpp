#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <random>
#include <thread>

#include "base/temporary_folder.h"
#include "storage/save_loop_value.h"
#include "storage/storage.h"

namespace tidyframe {
namespace {

// Starts the helper and returns once it has saved its first value (or died), with the pid.
pid_t startSaveLoop(const std::filesystem::path& document, long long first) {
  const std::string path = document.string();
  const std::string start = std::to_string(first);
  int ready[2];
  if (::pipe(ready) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(ready[1], STDOUT_FILENO);
    ::execl(SAVE_LOOP_HELPER, SAVE_LOOP_HELPER, path.c_str(), start.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(ready[1]);
  char signal = 0;
  while (::read(ready[0], &signal, 1) < 0 && errno == EINTR) {
  }
  ::close(ready[0]);
  return child;
}

// Kills the helper at random instants while it replaces the document over and over, and checks
// after every kill that the document is one complete value, never older than the helper's
// first save of that run.
TEST(CrashSafetyTest, AKilledSaveLeavesTheOldOrTheNewCompleteDocument) {
  // An instrumented helper takes a fifth of a second to start and spends nearly all its time
  // encoding, so fewer kills are made and fewer of them land inside a write.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
  constexpr bool instrumented = true;
#else
  constexpr bool instrumented = false;
#endif
  constexpr int kills = instrumented ? 50 : 200;
  TemporaryFolder folder;
  const auto document = folder / "Tidyframe/doc.json";
  std::mt19937 random(20261206);
  std::uniform_int_distribution<int> microseconds(0, 4000);
  long long last = -1;

  for (int kill = 0; kill < kills; ++kill) {
    const pid_t child = startSaveLoop(document, last + 1);
    ASSERT_GT(child, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(microseconds(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the helper stopped on its own, status " << status;

    const auto stored = Storage::readJson(document);
    ASSERT_TRUE(stored) << "the document is missing or torn after kill " << kill;
    const auto n = saveLoopNumber(*stored);
    ASSERT_TRUE(n) << "a torn document after kill " << kill;
    ASSERT_GT(*n, last) << "the helper's first save is missing after kill " << kill;
    last = *n;
  }

  // A kill between creating and renaming a temporary file leaves it behind; loading the
  // document at the next launch clears them away.
  if (!instrumented) {
    EXPECT_GT(TemporaryFolder::namesIn(document.parent_path()).size(), 1u) << "no kill landed inside a write";
  }
  const Storage storage(document.parent_path());
  EXPECT_EQ(storage.load<Json>("doc.json", Date{0}).value, Storage::readJson(document));
  EXPECT_EQ(TemporaryFolder::namesIn(document.parent_path()), (std::set<std::string>{"doc.json"}));
}

}  // namespace
}  // namespace tidyframe
