#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "base/virtual_dispatch.h"
#include "sim/sim_launchd.h"

namespace tidyframe {
namespace {

namespace fs = std::filesystem;

// The simulated launchctl answers as the real one does, so what works against it works on a Mac.
class SimLaunchdTest : public ::testing::Test {
 protected:
  SimLaunchdTest() {
    std::string pattern = (fs::temp_directory_path() / "tidyframe-launchd-XXXXXX").string();
    folder = ::mkdtemp(pattern.data());
  }
  ~SimLaunchdTest() override {
    EXPECT_EQ(dispatch.pendingCount(), 0u);
    fs::remove_all(folder);
  }

  CommandResult launchctl(std::vector<std::string> arguments) { return launchd.command("/bin/launchctl", arguments); }

  fs::path folder;
  VirtualDispatch dispatch;
  SimLaunchd launchd{dispatch, 501};
};

TEST_F(SimLaunchdTest, AnswersInTurn) {
  const std::string agent = (folder / "local.plumbline.plist").string();
  const std::string renamed = (folder / "renamed.plist").string();
  SimLaunchd::writeAgentFile(agent, "local.plumbline");
  SimLaunchd::writeAgentFile(renamed, "local.plumbline.live");
  struct Step {
    const char* reason;
    std::vector<std::string> arguments;
    int status;
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
      {"no subcommand", {}, 64},
  };
  for (const auto& step : steps) EXPECT_EQ(launchctl(step.arguments).status, step.status) << step.reason;
}

TEST_F(SimLaunchdTest, AnotherProgramCannotStart) {
  EXPECT_EQ(launchd.command("/sbin/launchctl", {"print", "gui/501/local.plumbline"}),
            (CommandResult{-1, "No such file or directory"}));
  EXPECT_TRUE(launchd.calls().empty());
}

TEST_F(SimLaunchdTest, ASlowJobStaysLoadedUntilItsDelayHasPassed) {
  launchd.load("local.plumbline", folder / "local.plumbline.plist");
  launchd.setStopDelay("local.plumbline", 2);

  EXPECT_EQ(launchctl({"bootout", "gui/501/local.plumbline"}), (CommandResult{0, ""}));
  dispatch.advance(1.9);
  EXPECT_TRUE(launchd.isLoaded("local.plumbline"));
  dispatch.advance(0.1);
  EXPECT_FALSE(launchd.isLoaded("local.plumbline"));
}

TEST_F(SimLaunchdTest, AStuckJobOutlivesItsBootout) {
  launchd.load("local.plumbline", folder / "local.plumbline.plist");
  launchd.setStopDelay("local.plumbline", SimLaunchd::never);

  EXPECT_EQ(launchctl({"bootout", "gui/501/local.plumbline"}),
            (CommandResult{36, "Boot-out failed: 36: Operation now in progress\n"}));
  dispatch.advance(3600);
  EXPECT_EQ(launchctl({"print", "gui/501/local.plumbline"}).status, 0);
}

TEST_F(SimLaunchdTest, AnInjectedBootstrapFailureHappensOnce) {
  const std::string agent = (folder / "local.plumbline.plist").string();
  SimLaunchd::writeAgentFile(agent, "local.plumbline");
  launchd.failNextBootstrap("local.plumbline", 37, "Bootstrap failed: 37: Operation already in progress\n");

  EXPECT_EQ(launchctl({"bootstrap", "gui/501", agent}).status, 37);
  EXPECT_FALSE(launchd.isLoaded("local.plumbline"));
  EXPECT_EQ(launchctl({"bootstrap", "gui/501", agent}).status, 0);
  EXPECT_EQ(launchd.callCount("bootstrap"), 2u);
}

}  // namespace
}  // namespace tidyframe
