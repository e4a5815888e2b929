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
  // Starts the engine as the user's "turn on" does, answering the take-over alert.
  void startAnswering(int response) {
    sim.alerts.answerAlert(response);
    model->start();
    advance(12);
  }
  // Quits, stops every job and forgets every file, for the next row of a table.
  void forgetEverything() {
    forgetAll();
    std::filesystem::remove_all(home());
    for (const auto& label : {first, second}) {
      sim.launchd.setStopDelay(label, 0);
      if (sim.launchd.isLoaded(label)) sim.launchd.command("/bin/launchctl", {"bootout", "gui/501/" + label}, 10);
    }
  }
  inline static const std::string first = "local.plumbline";
  inline static const std::string second = "local.plumbline.live";
};

TEST_F(Legacy, TheEarlierServiceIsDetectedAndPollingWaitsWhileItRuns) {
  std::filesystem::create_directories(home() / "Library/Application Support/Plumbline");
  std::ofstream(home() / "Library/Application Support/Plumbline/status.json") << R"({"checked_folders": 12})";
  installAgent(first, true);
  openFolder(pictures);
  launch(engineOn());
  EXPECT_TRUE(model->legacyReady());
  EXPECT_EQ(model->legacyChecked().get(), 12);
  advance(20);
  EXPECT_TRUE(model->legacyRunning().get());
  EXPECT_EQ(allEvents(), 0);
}

// A take-over asks once. It succeeds only when every earlier job stopped; otherwise the earlier
// service is handed back at once, without asking again.
TEST_F(Legacy, ATakeOverAsksFirstAndSucceedsOnlyWhenEveryEarlierJobIsStopped) {
  using Titles = std::vector<std::string>;
  const std::string stillRunning = "迁移未完成，已尝试恢复旧版：旧版服务仍在运行";
  const Titles switched{"自动分组已开启", "已切换到新版"}, handedBack{"已恢复旧版服务"};
  struct Case {
    const char* reason;
    std::function<void()> setup;
    bool accept;
    std::optional<std::string> message;  // how a failure's message starts; none: no failure
    Titles log;
  };
  const Case cases[] = {
      {"declining changes nothing", [&] { installAgent(second, true); }, false, std::nullopt, {}},
      {"both jobs are stopped", [&] { installAgent(second, true); }, true, std::nullopt, switched},
      {"a job loaded without its agent file is booted out too", [&] { sim.launchd.load(second, agent(second)); },
       true, std::nullopt, switched},
      {"a job that will not stop is handed back, its agent file put back",
       [&] { sim.launchd.setStopDelay(first, SimLaunchd::never); }, true, stillRunning, handedBack},
      {"so is such a job without its agent file",
       [&] {
         sim.launchd.load(second, agent(second));
         sim.launchd.setStopDelay(second, SimLaunchd::never);
       },
       true, stillRunning, handedBack},
      {"a failure before any record keeps its own reason", [&] { writeFile("legacy-backup", "not a folder"); }, true,
       "迁移未完成，已尝试恢复旧版：legacy-backup", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    installAgent(first, true);
    c.setup();
    const bool secondLoaded = sim.launchd.isLoaded(second);
    launch();
    const auto alerts = sim.alerts.alerts().size();
    startAnswering(c.accept ? Alerts::firstButton : Alerts::firstButton + 1);
    advance(10);
    const bool takenOver = c.accept && !c.message;
    EXPECT_EQ(sim.alerts.alerts().size(), alerts + 1) << "one question; the automatic hand-back must not ask";
    EXPECT_EQ(sim.alerts.alerts().back().message, "由新版接管自动分组？");
    EXPECT_EQ(sim.launchd.isLoaded(first), !takenOver);
    EXPECT_EQ(sim.launchd.isLoaded(second), secondLoaded && !takenOver);
    EXPECT_EQ(std::filesystem::exists(agent(first)), !takenOver);
    EXPECT_EQ(model->canRestoreLegacy(), !c.log.empty()) << "a hand-back stays possible once a record was made";
    EXPECT_EQ(model->legacyRunning().get(), !takenOver);
    EXPECT_FALSE(model->busy().get());
    EXPECT_EQ(model->preferences()->engineEnabled, takenOver);
    EXPECT_EQ(sim.loginItem.status() == LoginItemStatus::enabled, takenOver);
    EXPECT_EQ(activityTitles(), c.log);
    if (c.message) {
      EXPECT_TRUE(model->message().get().value_or("").starts_with(*c.message)) << model->message().get().value_or("");
    } else {
      EXPECT_EQ(model->message().get(), std::nullopt);
    }
    forgetEverything();
  }
}

TEST_F(Legacy, QuittingWaitsForATakeOver) {
  installAgent(first, true);
  sim.launchd.setStopDelay(first, 5);
  launch();
  sim.alerts.answerAlert(Alerts::firstButton);
  model->start();
  advance(0.5);
  ASSERT_TRUE(model->busy().get());
  bool done = false;
  model->prepareForQuit([&] {
    done = true;
    EXPECT_EQ(activityTitles(), (std::vector<std::string>{"自动分组已开启", "已切换到新版"}))
        << "quit while the take-over ran";
  });
  advance(15);
  EXPECT_TRUE(done);
  model.reset();
}

// Whatever its outcome, a hand-back leaves automatic grouping paused and says what went wrong.
TEST_F(Legacy, HandBackOutcomes) {
  struct Case {
    const char* reason;
    bool takenOver;
    std::function<void()> fault;
    std::optional<std::string> message;
    bool running;
  };
  const Case cases[] = {
      {"nothing was ever taken over", false, [] {}, "Finder 操作未完成", false},
      {"the earlier job will not load", true,
       [this] { sim.launchd.failNextBootstrap(first, 5, "Bootstrap failed: 5: Input/output error"); },
       "旧版恢复未完成：Bootstrap failed: 5: Input/output error", false},
      {"the own login item will not unregister, the hand-back goes on", true,
       [this] { sim.loginItem.failNext("Operation not permitted"); }, "新版登录启动未能停用：Operation not permitted",
       true},
      {"the earlier job was loaded again meanwhile", true, [this] { installAgent(first, true); }, std::nullopt, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    if (c.takenOver) installAgent(first, true);
    launch(engineOn());
    if (c.takenOver) startAnswering(Alerts::firstButton);
    c.fault();
    sim.alerts.answerAlert(Alerts::firstButton);
    model->restoreLegacy(true);
    advance(3);
    EXPECT_EQ(model->message().get(), c.message);
    EXPECT_EQ(model->legacyRunning().get(), c.running);
    EXPECT_EQ(std::ranges::count(activityTitles(), "已恢复旧版服务"), c.running) << "only a hand-back that ran is logged";
    EXPECT_FALSE(model->busy().get());
    EXPECT_FALSE(model->preferences()->engineEnabled);
    forgetEverything();
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
