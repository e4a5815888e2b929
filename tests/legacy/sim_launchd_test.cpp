#include <gtest/gtest.h>

#include <filesystem>

#include "base/temporary_folder.h"
#include "base/virtual_dispatch.h"
#include "sim/sim_launchd.h"

namespace tidyframe {
namespace {

namespace fs = std::filesystem;

// The simulated launchctl answers as the real one does, so what works against it works on a Mac.
TEST(SimLaunchdTest, AnswersLikeLaunchctl) {
  const TemporaryFolder temporary;
  const fs::path& folder = temporary.path();
  const std::string agent = (folder / "local.plumbline.plist").string();
  const std::string renamed = (folder / "renamed.plist").string();
  SimLaunchd::writeAgentFile(agent, "local.plumbline");
  SimLaunchd::writeAgentFile(renamed, "local.plumbline.live");
  VirtualDispatch dispatch;
  SimLaunchd launchd(dispatch, 501);
  struct Step {
    const char* reason;
    std::vector<std::string> arguments;
    int status;
    std::string executable = "/bin/launchctl";
  };
  const Step steps[] = {
      {"nothing loaded yet", {"print", "gui/501/local.plumbline"}, 113},
      {"bootout of a job not loaded", {"bootout", "gui/501/local.plumbline"}, 3},
      {"bootstrap of a missing file", {"bootstrap", "gui/501", (folder / "missing.plist").string()}, 2},
      {"bootstrap into another user's domain", {"bootstrap", "gui/502", agent}, 125},
      {"bootstrap loads the job", {"bootstrap", "gui/501", agent}, 0},
      {"now it prints", {"print", "gui/501/local.plumbline"}, 0},
      {"another user's domain has no such job", {"print", "gui/502/local.plumbline"}, 113},
      {"a second bootstrap of a loaded job fails", {"bootstrap", "gui/501", agent}, 5},
      {"the label comes from the file, not its name", {"bootstrap", "gui/501", renamed}, 0},
      {"the job of the renamed file", {"print", "gui/501/local.plumbline.live"}, 0},
      {"bootout unloads", {"bootout", "gui/501/local.plumbline"}, 0},
      {"and it is gone", {"print", "gui/501/local.plumbline"}, 113},
      {"an unknown subcommand", {"kickstart", "gui/501/local.plumbline"}, 64},
      {"another program cannot start", {"print", "gui/501/local.plumbline.live"}, -1, "/sbin/launchctl"},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(launchd.command(step.executable, step.arguments, 10).status, step.status) << step.reason;
  }
  EXPECT_EQ(launchd.calls().size(), std::size(steps) - 1);
  EXPECT_EQ(dispatch.pendingCount(), 0u);
}

}  // namespace
}  // namespace tidyframe
