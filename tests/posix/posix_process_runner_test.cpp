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
  };
  for (const auto& c : cases) EXPECT_EQ(shell(c.script, c.arguments), c.expected) << c.reason;
}

TEST(PosixProcessRunnerTest, ReadsOutputLargerThanThePipeBuffer) {
  const auto result = shell("head -c 1000000 /dev/zero | tr '\\0' x; echo end >&2; exit 7");
  EXPECT_EQ(result.status, 7);
  ASSERT_EQ(result.output.size(), 1000004u);
  EXPECT_EQ(result.output.substr(0, 3), "xxx");
  EXPECT_EQ(result.output.substr(1000000), "end\n");
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

class PosixProcessRunnerLaunchTest : public ::testing::Test {
 protected:
  fs::path file(const std::string& name, const std::string& text, fs::perms permissions) const {
    const fs::path path = folder_ / name;
    std::ofstream(path) << text;
    fs::permissions(path, permissions);
    return path;
  }

  const TemporaryFolder temporary_;
  const fs::path& folder_ = temporary_.path();
};

TEST_F(PosixProcessRunnerLaunchTest, ProgramsThatCannotStartAnswerMinusOneAndWhy) {
  const auto all = fs::perms::owner_all;
  const auto readWrite = fs::perms::owner_read | fs::perms::owner_write;
  struct Case {
    const char* reason;
    fs::path executable;
    std::string expectedOutput;
  };
  const Case cases[] = {
      {"missing file", folder_ / "launchctl", "No such file or directory"},
      {"a folder", folder_, "Permission denied"},
      {"not executable", file("plain", "#!/bin/sh\necho hi\n", readWrite), "Permission denied"},
      {"executable but not a program", file("garbage", "\x7f" "ELF nonsense", all), "Exec format error"},
      {"its interpreter is missing", file("orphan", "#!/no/such/interpreter\n", all), "No such file or directory"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PosixProcessRunner().command(c.executable.string(), {"print"}, 30), (CommandResult{-1, c.expectedOutput}))
        << c.reason;
  }
}

TEST_F(PosixProcessRunnerLaunchTest, AnExecutableScriptRuns) {
  const auto script = file("tool", "#!/bin/sh\necho \"$1\"\nexit 2\n", fs::perms::owner_all);
  EXPECT_EQ(PosixProcessRunner().command(script.string(), {"bootout"}, 30), (CommandResult{2, "bootout\n"}));
}

}  // namespace
}  // namespace tidyframe
