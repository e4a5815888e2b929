#include "engine/engine_fixture.h"

namespace tidyframe {
namespace {

// The earlier service's two agents in the user's LaunchAgents folder, loaded or not.
class Legacy : public EngineTest {
 protected:
  std::filesystem::path agent(const std::string& label) const {
    return home() / "Library/LaunchAgents" / (label + ".plist");
  }
  void installAgent(const std::string& label, bool loaded) {
    SimLaunchd::writeAgentFile(agent(label), label);
    if (loaded) sim.launchd.load(label, agent(label));
  }
  void writeStatus(const std::string& json) {
    const auto folder = home() / "Library/Application Support/Plumbline";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "status.json") << json;
  }
  // Starts the engine as the user's "turn on" does, answering the take-over alert.
  void startAnswering(int response) {
    sim.alerts.answerAlert(response);
    model->start();
    advance(12);
  }
};

TEST_F(Legacy, DetectionOfTheEarlierService) {
  struct Case {
    const char* reason;
    bool first, second;
    std::string status;
    bool running;
    std::int64_t checked;
  };
  const Case cases[] = {
      {"neither loaded", false, false, R"({"checked_folders": 12})", false, 12},
      {"only the second loaded", false, true, R"({"checked_folders": "12"})", true, 0},
      {"both loaded", true, true, R"({"checked_folders": 2.5})", true, 0},
      {"no status key", true, false, R"({"other": 1})", true, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    std::filesystem::remove_all(home());
    installAgent("local.plumbline", c.first);
    installAgent("local.plumbline.live", c.second);
    writeStatus(c.status);
    launch();
    EXPECT_TRUE(model->legacyReady());
    EXPECT_EQ(model->legacyRunning().get(), c.running);
    EXPECT_EQ(model->legacyChecked().get(), c.checked);
    shutDown();
    for (const char* label : {"local.plumbline", "local.plumbline.live"}) {
      if (!sim.launchd.isLoaded(label)) continue;
      sim.launchd.command("/bin/launchctl", {"bootout", "gui/501/" + std::string(label)}, 10);
    }
  }
}

TEST_F(Legacy, PollingWaitsWhileTheEarlierServiceRuns) {
  installAgent("local.plumbline", true);
  writeSettings(engineOn());
  openFolder(pictures);
  launch();
  advance(20);
  EXPECT_EQ(allEvents(), 0);
}

TEST_F(Legacy, TakeOverWithBothAgents) {
  installAgent("local.plumbline", true);
  installAgent("local.plumbline.live", true);
  launch();
  startAnswering(Alerts::firstButton);
  ASSERT_EQ(sim.alerts.alerts().size(), 1u);
  EXPECT_EQ(sim.alerts.alerts().front().message, "由新版接管自动分组？");
  EXPECT_FALSE(sim.launchd.isLoaded("local.plumbline"));
  EXPECT_FALSE(sim.launchd.isLoaded("local.plumbline.live"));
  EXPECT_FALSE(std::filesystem::exists(agent("local.plumbline")));
  EXPECT_TRUE(std::filesystem::exists(storageFolder() / "legacy-backup/local.plumbline.plist"));
  EXPECT_TRUE(model->canRestoreLegacy());
  EXPECT_FALSE(model->legacyRunning().get());
  EXPECT_FALSE(model->busy().get());
  EXPECT_TRUE(model->preferences()->engineEnabled);
  EXPECT_EQ(sim.loginItem.status(), LoginItemStatus::enabled);
  EXPECT_EQ(activityTitles(), (std::vector<std::string>{"自动分组已开启", "已切换到新版"}));
}

TEST_F(Legacy, TakeOverWithoutAgentFilesSucceedsWithAnEmptyRecord) {
  sim.launchd.load("local.plumbline", agent("local.plumbline"));
  launch();
  startAnswering(Alerts::firstButton);
  EXPECT_TRUE(model->preferences()->engineEnabled);
  EXPECT_EQ(Storage::readJson(storageFolder() / "legacy-backup/migration.json"), Json::array());
}

TEST_F(Legacy, DecliningChangesNothing) {
  installAgent("local.plumbline", true);
  launch();
  startAnswering(Alerts::firstButton + 1);
  EXPECT_TRUE(sim.launchd.isLoaded("local.plumbline"));
  EXPECT_FALSE(model->busy().get());
  EXPECT_FALSE(model->preferences()->engineEnabled);
  EXPECT_FALSE(model->canRestoreLegacy());
  EXPECT_TRUE(model->activities()->empty());
}

TEST_F(Legacy, AnAgentThatWillNotStopIsHandedBackAutomatically) {
  installAgent("local.plumbline", true);
  sim.launchd.setStopDelay("local.plumbline", SimLaunchd::never);
  launch();
  startAnswering(Alerts::firstButton);
  advance(5);
  EXPECT_FALSE(model->preferences()->engineEnabled);
  EXPECT_TRUE(sim.launchd.isLoaded("local.plumbline"));
  EXPECT_TRUE(std::filesystem::exists(agent("local.plumbline"))) << "the agent file was not put back";
  ASSERT_TRUE(model->message().get());
  EXPECT_TRUE(model->message().get()->starts_with("迁移未完成，已尝试恢复旧版：旧版服务仍在运行"))
      << *model->message().get();
  EXPECT_EQ(sim.alerts.alerts().size(), 1u) << "the automatic hand-back must not ask";
}

TEST_F(Legacy, HandBackWhenAlreadyLoadedBootstrapsNothingAndStillLogs) {
  installAgent("local.plumbline", true);
  launch();
  startAnswering(Alerts::firstButton);
  sim.launchd.load("local.plumbline", agent("local.plumbline"));
  SimLaunchd::writeAgentFile(agent("local.plumbline"), "local.plumbline");
  const auto bootstraps = sim.launchd.callCount("bootstrap");
  sim.alerts.answerAlert(Alerts::firstButton);
  model->restoreLegacy(true);
  advance(3);
  EXPECT_EQ(sim.launchd.callCount("bootstrap"), bootstraps);
  EXPECT_EQ(model->activities()->front().title, "已恢复旧版服务");
  EXPECT_TRUE(model->legacyRunning().get());
  EXPECT_FALSE(model->preferences()->engineEnabled);
  EXPECT_EQ(sim.loginItem.status(), LoginItemStatus::notRegistered);
}

TEST_F(Legacy, ATakeOverSucceedsOnlyWhenEveryEarlierJobIsStopped) {
  const std::string first = "local.plumbline", second = "local.plumbline.live";
  struct Case {
    const char* reason;
    std::function<void()> setup;
    const char* message;  // none: the take-over succeeds
  };
  const Case cases[] = {
      {"a job loaded without its agent file is booted out too",
       [&] {
         installAgent(first, true);
         sim.launchd.load(second, agent(second));
       },
       nullptr},
      {"such a job that will not stop fails the take-over",
       [&] {
         installAgent(first, true);
         sim.launchd.load(second, agent(second));
         sim.launchd.setStopDelay(second, SimLaunchd::never);
       },
       "迁移未完成，已尝试恢复旧版：旧版服务仍在运行"},
      {"a failure before any record keeps its own reason",
       [&] {
         installAgent(first, true);
         writeFile("legacy-backup", "not a folder");
       },
       "迁移未完成，已尝试恢复旧版：legacy-backup"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    std::filesystem::remove_all(home());
    std::filesystem::remove_all(storageFolder());
    c.setup();
    launch();
    startAnswering(Alerts::firstButton);
    advance(10);
    EXPECT_EQ(model->preferences()->engineEnabled, c.message == nullptr);
    if (c.message) {
      EXPECT_TRUE(model->message().get().value_or("").starts_with(c.message)) << model->message().get().value_or("");
    } else {
      EXPECT_FALSE(sim.launchd.isLoaded(first) || sim.launchd.isLoaded(second));
    }
    shutDown();
    for (const auto& label : {first, second}) {
      sim.launchd.setStopDelay(label, 0);
      if (sim.launchd.isLoaded(label)) sim.launchd.command("/bin/launchctl", {"bootout", "gui/501/" + label}, 10);
    }
  }
}

// An earlier take-over was cut short: the first job is gone with its backup kept, the second
// still runs, and its agent file changed since its own backup was made.
TEST_F(Legacy, HandBackRestoresEveryBackupInItsNewestConfiguration) {
  const std::string first = "local.plumbline", second = "local.plumbline.live";
  const auto backups = storageFolder() / "legacy-backup";
  SimLaunchd::writeAgentFile(backups / (first + ".plist"), first);
  SimLaunchd::writeAgentFile(backups / (second + ".plist"), second);
  ASSERT_TRUE(Storage::save(Json::array({first, second}), backups / "migration.json"));
  installAgent(second, true);
  std::ofstream(agent(second), std::ios::app) << "<!-- changed since the backup -->\n";
  const auto newest = contents(agent(second));
  launch();
  startAnswering(Alerts::firstButton);
  ASSERT_TRUE(model->preferences()->engineEnabled);
  sim.alerts.answerAlert(Alerts::firstButton);
  model->restoreLegacy(true);
  advance(3);
  EXPECT_TRUE(sim.launchd.isLoaded(first)) << "the backup of the interrupted take-over was forgotten";
  EXPECT_TRUE(sim.launchd.isLoaded(second));
  EXPECT_EQ(contents(agent(second)), newest);
}

TEST_F(Legacy, QuittingWaitsForATakeOver) {
  installAgent("local.plumbline", true);
  sim.launchd.setStopDelay("local.plumbline", 5);
  launch();
  sim.alerts.answerAlert(Alerts::firstButton);
  model->start();
  advance(0.5);
  ASSERT_TRUE(model->busy().get());
  bool done = false;
  model->prepareForQuit([&] {
    done = true;
    const auto titles = activityTitles();
    EXPECT_NE(std::ranges::find(titles, "已切换到新版"), titles.end()) << "quit while the take-over ran";
  });
  advance(15);
  EXPECT_TRUE(done);
  model.reset();
}

TEST_F(Legacy, AFailedHandBackSaysWhyAndLeavesGroupingPaused) {
  struct Case {
    const char* reason;
    bool takenOver;
    std::function<void()> fault;
    const char* message;
    bool running;
  };
  const Case cases[] = {
      {"nothing was ever taken over", false, [] {}, "Finder 操作未完成", false},
      {"the earlier job will not load", true,
       [this] { sim.launchd.failNextBootstrap("local.plumbline", 5, "Bootstrap failed: 5: Input/output error"); },
       "旧版恢复未完成：Bootstrap failed: 5: Input/output error", false},
      {"the own login item will not unregister, the hand-back goes on", true,
       [this] { sim.loginItem.failNext("Operation not permitted"); }, "新版登录启动未能停用：Operation not permitted",
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    std::filesystem::remove_all(home());
    std::filesystem::remove_all(storageFolder());
    if (c.takenOver) installAgent("local.plumbline", true);
    writeSettings(engineOn());
    launch();
    if (c.takenOver) startAnswering(Alerts::firstButton);
    c.fault();
    sim.alerts.answerAlert(Alerts::firstButton);
    model->restoreLegacy(true);
    advance(3);
    EXPECT_EQ(model->message().get(), c.message);
    EXPECT_EQ(model->legacyRunning().get(), c.running);
    EXPECT_FALSE(model->busy().get());
    EXPECT_FALSE(model->preferences()->engineEnabled);
    shutDown();
    if (sim.launchd.isLoaded("local.plumbline")) {
      sim.launchd.command("/bin/launchctl", {"bootout", "gui/501/local.plumbline"}, 10);
    }
  }
}

TEST_F(Legacy, LoginItemErrorsAreShown) {
  launch();
  sim.loginItem.failNext("Operation not permitted");
  model->setLoginItem(true);
  EXPECT_EQ(model->message().get(), "登录启动设置未完成：Operation not permitted");
  EXPECT_FALSE(model->loginEnabled());
  model->setLoginItem(true);
  EXPECT_TRUE(model->loginEnabled());
}

}  // namespace
}  // namespace tidyframe
