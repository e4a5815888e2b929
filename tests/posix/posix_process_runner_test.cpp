#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "base/temporary_folder.h"
#include "posix/posix_process_runner.h"

namespace tidyframe {
namespace {

namespace fs = std::filesystem;

// The arguments that make /bin/sh run `script` with `more` as $1, $2, ...
std::vector<std::string> sh(const std::string& script, std::vector<std::string> more = {}) {
  more.insert(more.begin(), {"-c", script, "sh"});
  return more;
}

// A program that does not finish sleeps far longer than its time-out, so a runner that waits
// for it fails the bound by minutes, never by scheduling noise. A program that cannot start
// answers -1 and why, with nothing run in its place.
TEST(PosixProcessRunnerTest, ProgramsThatRunStopOrCannotStart) {
  const TemporaryFolder folder;
  const auto file = [&](const std::string& name, const std::string& text, fs::perms permissions) {
    std::ofstream(folder / name) << text;
    fs::permissions(folder / name, permissions);
    return folder / name;
  };
  const auto all = fs::perms::owner_all;
  const CommandResult stopped{-1, "/bin/sh did not finish within 0.3 seconds and was stopped"};
  struct Case {
    const char* reason;
    std::vector<std::string> arguments;
    CommandResult expected;
    fs::path program = "/bin/sh";
    double timeout = 30;
  };
  const Case cases[] = {
      {"success with its output", sh("echo loaded"), {0, "loaded\n"}},
      {"exit status passed on", sh("echo 'Could not find service' >&2; exit 113"), {113, "Could not find service\n"}},
      {"both outputs share one pipe in the order written", sh("printf a; printf b >&2; printf c"), {0, "abc"}},
      {"arguments arrive verbatim, one each", sh("printf '%s|' \"$@\"", {"a b", "", "c\"d", "$HOME"}),
       {0, "a b||c\"d|$HOME|"}},
      {"UTF-8 output is kept", sh("printf '\\346\\227\\247\\347\\211\\210'"), {0, "旧版"}},
      {"output that is not UTF-8 becomes empty, the status stays", sh("printf 'ok\\377'; exit 4"), {4, ""}},
      {"standard input is empty, not the caller's", sh("cat; echo done"), {0, "done\n"}},
      {"a program killed by a signal does not count as success", sh("kill -9 $$"), {128 + 9, ""}},
      {"a program killed after writing keeps its output", sh("printf partial; kill -15 $$"), {128 + 15, "partial"}},
      {"output larger than the pipe buffer is read whole",
       sh("head -c 1000000 /dev/zero | tr '\\0' x; echo end >&2; exit 7"), {7, std::string(1000000, 'x') + "end\n"}},
      {"a child that never exits", sh("echo started; sleep 600"), stopped, "/bin/sh", 0.3},
      {"a child that closes its output and runs on", sh("exec >&- 2>&-; sleep 600"), stopped, "/bin/sh", 0.3},
      {"a grandchild holds the pipe open after the child exits", sh("sleep 600 & exit 0"), stopped, "/bin/sh", 0.3},
      {"an executable script runs", {"print"}, {2, "print\n"}, file("tool", "#!/bin/sh\necho \"$1\"\nexit 2\n", all)},
      {"missing file", {"print"}, {-1, "No such file or directory"}, folder / "launchctl"},
      {"a folder", {"print"}, {-1, "Permission denied"}, folder.path()},
      {"not executable", {"print"}, {-1, "Permission denied"},
       file("plain", "#!/bin/sh\necho hi\n", fs::perms::owner_read | fs::perms::owner_write)},
      {"executable, not a program", {"print"}, {-1, "Exec format error"}, file("garbage", "\x7f" "ELF nonsense", all)},
      {"its interpreter is missing", {"print"}, {-1, "No such file or directory"},
       file("orphan", "#!/no/such/interpreter\n", all)},
  };
  for (const auto& c : cases) {
    const auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(PosixProcessRunner().command(c.program.string(), c.arguments, c.timeout), c.expected) << c.reason;
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(60)) << c.reason;
  }
}

}  // namespace
}  // namespace tidyframe
