#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "base/temporary_folder.h"
#include "posix/posix_process_runner.h"

namespace tidyframe {
namespace {

namespace fs = std::filesystem;

CommandResult shell(const std::string& script, std::vector<std::string> more = {}) {
  std::vector<std::string> arguments{"-c", script, "sh"};
  arguments.insert(arguments.end(), more.begin(), more.end());
  return PosixProcessRunner().command("/bin/sh", arguments, 30);
}

TEST(PosixProcessRunnerTest, ProgramsThatRun) {
  struct Case {
    const char* reason;
    std::string script;
    std::vector<std::string> arguments;
    CommandResult expected;
  };
  const Case cases[] = {
      {"success with its output", "echo loaded", {}, {0, "loaded\n"}},
      {"the exit status is passed on", "echo 'Could not find service' >&2; exit 113", {},
       {113, "Could not find service\n"}},
      {"both outputs share one pipe in the order written", "printf a; printf b >&2; printf c", {}, {0, "abc"}},
      {"arguments arrive verbatim, one each", "printf '%s|' \"$@\"", {"a b", "", "c\"d", "$HOME"},
       {0, "a b||c\"d|$HOME|"}},
      {"UTF-8 output is kept", "printf '\\346\\227\\247\\347\\211\\210'", {}, {0, "旧版"}},
      {"output that is not UTF-8 becomes empty, the status stays", "printf 'ok\\377'; exit 4", {}, {4, ""}},
      {"standard input is empty, not the caller's", "cat; echo done", {}, {0, "done\n"}},
      {"a program killed by a signal does not count as success", "kill -9 $$", {}, {128 + 9, ""}},
      {"a program killed after writing keeps its output", "printf partial; kill -15 $$", {}, {128 + 15, "partial"}},
      {"output larger than the pipe buffer is read whole", "head -c 1000000 /dev/zero | tr '\\0' x; echo end >&2; exit 7",
       {}, {7, std::string(1000000, 'x') + "end\n"}},
  };
  for (const auto& c : cases) EXPECT_EQ(shell(c.script, c.arguments), c.expected) << c.reason;
}

// Each program sleeps far longer than the time-out, so a runner that waits for it fails the
// bound by minutes, never by scheduling noise.
TEST(PosixProcessRunnerTest, ProgramsThatDoNotFinishAreStoppedAtTheTimeOut) {
  struct Case {
    const char* reason;
    std::string script;
  };
  const Case cases[] = {
      {"a child that never exits", "echo started; sleep 600"},
      {"a child that closes its output and runs on", "exec >&- 2>&-; sleep 600"},
      {"a grandchild that keeps the pipe open after the child exits", "sleep 600 & exit 0"},
  };
  for (const auto& c : cases) {
    const auto began = std::chrono::steady_clock::now();
    const auto result = PosixProcessRunner().command("/bin/sh", {"-c", c.script}, 0.3);
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(60)) << c.reason;
    EXPECT_EQ(result, (CommandResult{-1, "/bin/sh did not finish within 0.3 seconds and was stopped"})) << c.reason;
  }
}

// A program that cannot start answers -1 and why, with nothing run in its place.
TEST(PosixProcessRunnerTest, ProgramsStartedByPath) {
  const TemporaryFolder folder;
  const auto file = [&](const std::string& name, const std::string& text, fs::perms permissions) {
    std::ofstream(folder / name) << text;
    fs::permissions(folder / name, permissions);
    return folder / name;
  };
  const auto all = fs::perms::owner_all;
  struct Case {
    const char* reason;
    fs::path executable;
    CommandResult expected;
  };
  const Case cases[] = {
      {"an executable script runs", file("tool", "#!/bin/sh\necho \"$1\"\nexit 2\n", all), {2, "print\n"}},
      {"missing file", folder / "launchctl", {-1, "No such file or directory"}},
      {"a folder", folder.path(), {-1, "Permission denied"}},
      {"not executable", file("plain", "#!/bin/sh\necho hi\n", fs::perms::owner_read | fs::perms::owner_write),
       {-1, "Permission denied"}},
      {"executable but not a program", file("garbage", "\x7f" "ELF nonsense", all), {-1, "Exec format error"}},
      {"its interpreter is missing", file("orphan", "#!/no/such/interpreter\n", all), {-1, "No such file or directory"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PosixProcessRunner().command(c.executable.string(), {"print"}, 30), c.expected) << c.reason;
  }
}

}  // namespace
}  // namespace tidyframe
