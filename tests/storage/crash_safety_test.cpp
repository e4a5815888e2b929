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
#include "storage/finder_layout_archive.h"
#include "storage/storage.h"

namespace tidyframe {
namespace {

using Save = std::function<std::expected<void, std::string>(long long n)>;

// The n-th value the save loop writes. Payloads range from a few bytes to about 300 kB so
// that a torn write would change the length.
Json saveLoopValue(long long n) {
  const auto length = static_cast<std::size_t>(1 + (n * 7919) % 300000);
  return {{"n", n}, {"payload", std::string(length, static_cast<char>('a' + n % 26))}};
}

// The n of a complete value, or nothing when `value` is not exactly one of the loop's values.
std::optional<long long> saveLoopNumber(const Json& value) {
  if (!value.is_object() || !value.contains("n") || !value["n"].is_number_integer()) return std::nullopt;
  const auto n = value["n"].get<long long>();
  return value == saveLoopValue(n) ? std::optional(n) : std::nullopt;
}

// The n-th change the archive loop records: a folder's original with its confirmation, and
// at every third one the confirmation of the folder before forgotten.
void archiveChange(FinderLayoutArchive& archive, long long n) {
  const auto path = "/Users/demo/" + std::to_string(n);
  archive.remember({path, "icon view", "volume", "None", "Name"}, "kind:name:false");
  if (n % 3 == 2) archive.forgetConfirmation("/Users/demo/" + std::to_string(n - 1));
}

// The archive after the first `count` changes.
FinderLayoutArchive archiveAfter(std::size_t count) {
  FinderLayoutArchive archive;
  for (std::size_t n = 0; n < count; ++n) archiveChange(archive, static_cast<long long>(n));
  return archive;
}

// Forks a child that runs `save` for n = first, first + 1, ... until it is killed, and returns
// its pid once it has saved the first time (or died). A failed save ends the child on its own.
pid_t startSaveLoop(long long first, const Save& save) {
  int ready[2];
  if (::pipe(ready) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    for (auto n = first; save(n); ++n) {
      if (n == first && ::write(ready[1], ".", 1) != 1) break;
    }
    ::_exit(1);
  }
  ::close(ready[1]);
  char signal = 0;
  while (::read(ready[0], &signal, 1) < 0 && errno == EINTR) {
  }
  ::close(ready[0]);
  return child;
}

// Under sanitizers the child spends nearly all its time encoding, so fewer kills are made and
// fewer of them land inside a write.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
constexpr bool instrumented = true;
#else
constexpr bool instrumented = false;
#endif
constexpr int kills = instrumented ? 50 : 200;

// Starts a save loop `kills` times, kills it at a random instant and runs `check` after each kill.
void killRepeatedly(const std::function<pid_t()>& start, const std::function<void(int kill)>& check) {
  std::mt19937 random(20261206);
  std::uniform_int_distribution<int> microseconds(0, 4000);
  for (int kill = 0; kill < kills && !::testing::Test::HasFatalFailure(); ++kill) {
    const pid_t child = start();
    ASSERT_GT(child, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(microseconds(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the save loop stopped on its own, status " << status;
    check(kill);
  }
}

// Kills the loop at random instants while it replaces the document over and over, and checks
// after every kill that the document is one complete value, never older than the loop's
// first save of that run.
TEST(CrashSafetyTest, AKilledSaveLeavesTheOldOrTheNewCompleteDocument) {
  TemporaryFolder folder;
  const auto document = folder / "Tidyframe/doc.json";
  long long last = -1;
  const Save save = [&](long long n) { return Storage::save(saveLoopValue(n), document); };
  killRepeatedly([&] { return startSaveLoop(last + 1, save); },
                 [&](int kill) {
                   const auto stored = Storage::readJson(document);
                   const auto n = stored ? saveLoopNumber(*stored) : std::nullopt;
                   ASSERT_TRUE(n) << "the document is missing or torn after kill " << kill;
                   ASSERT_GT(*n, last) << "the loop's first save is missing after kill " << kill;
                   last = *n;
                 });

  // A kill between creating and renaming a temporary file leaves it behind; loading the
  // document at the next launch clears them away.
  if (!instrumented) {
    EXPECT_GT(TemporaryFolder::namesIn(document.parent_path()).size(), 1u) << "no kill landed inside a write";
  }
  EXPECT_EQ(Storage(document.parent_path()).load<Json>("doc.json", Date{0}).value, Storage::readJson(document));
  EXPECT_EQ(TemporaryFolder::namesIn(document.parent_path()), (std::set<std::string>{"doc.json"}));
}

// The same for the layout archive, whose changes go to the journal and whose document is
// rewritten as the journal grows (every fourth change rewrites it as quitting does, so kills
// land in rewrites too): after every kill the archive reads as it was after some change, never
// before the loop's first change of that run, and nothing was kept aside.
TEST(CrashSafetyTest, AKilledJournalAppendOrRewriteLeavesTheArchiveBeforeOrAfterTheChange) {
  TemporaryFolder folder;
  const Storage storage(folder.path());
  std::size_t last = 0;
  killRepeatedly(
      [&] {
        auto archive = loadArchive(storage, Date{0}).archive;
        return startSaveLoop(static_cast<long long>(archive.folders.size()), [&](long long n) {
          archiveChange(archive, n);
          return Storage::save(archive.takeUpdate(n % 4 == 3), storage.layoutsURL());
        });
      },
      [&](int kill) {
        const auto loaded = loadArchive(storage, Date{0});
        const auto count = loaded.archive.folders.size();
        ASSERT_GT(count, last) << "the loop's first change is missing after kill " << kill;
        ASSERT_EQ(loaded.archive, archiveAfter(count)) << "a change half made after kill " << kill;
        ASSERT_EQ(folder.names(), (std::set<std::string>{"finder-layouts.journal", "finder-layouts.json"}))
            << "after kill " << kill;
        last = count;
      });
}

}  // namespace
}  // namespace tidyframe
