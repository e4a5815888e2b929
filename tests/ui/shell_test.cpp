#include <QTest>

#include "app/app_delegate.h"
#include "app/program.h"
#include "engine/engine_fixture.h"
#include "storage/storage.h"
#include "ui/panel_window.h"

namespace tidyframe {
namespace {

// The application shell over the simulated Mac in virtual time; `terminated` says the event
// loop was asked to end.
class ShellTest : public EngineTest {
 protected:
  ~ShellTest() override {
    if (shell) quitAndWait();
  }

  void startShell(bool statusBar = true) {
    host = std::make_unique<SimulatedEngineHost>(dispatch, sim, l, storageFolder(), home(), &diagnostics);
    shell = std::make_unique<AppDelegate>(ShellServices{host->services(), host->updateServices(), sim.defaults,
                                                        [this] { terminated = true; }, statusBar});
    shell->applicationDidFinishLaunching();
    dispatch.runUntilIdle();
  }
  void quitAndWait() {
    shell->quit();
    for (int i = 0; i < 100 && !terminated; ++i) advance(0.1);
    ASSERT_TRUE(terminated);
    shell.reset();
    host.reset();
  }
  AppModel& engine() { return *shell->model(); }
  bool shown() const { return shell->popoverShown(); }
  void changeRules() {
    Preferences preferences = engine().preferences().get();
    preferences.rules.push_back(LocationRule{});
    engine().setPreferences(preferences);
  }

  std::unique_ptr<AppDelegate> shell;
  bool terminated = false;
};

TEST_F(ShellTest, FirstLaunchOpensThePanelOnceAfterHalfASecond) {
  startShell();
  advance(0.4);
  EXPECT_FALSE(shown()) << "not before half a second";
  advance(0.2);
  EXPECT_TRUE(shown());
  EXPECT_EQ(sim.defaults.boolValue(AppDelegate::shownKey), true);
  quitAndWait();
  terminated = false;
  startShell();
  advance(2);
  EXPECT_FALSE(shown()) << "a second launch waits for a click";
}

TEST_F(ShellTest, ReopenShowsTheOverviewUnlessTheEditorOrGuideShows) {
  sim.defaults.setBool(AppDelegate::shownKey, true);
  startShell();
  struct Row {
    const char* reason;
    bool editor, setup;
    Page expected;
  };
  const Row rows[] = {
      {"a plain reopen returns to the overview", false, false, Page::overview},
      {"the rule editor keeps its page", true, false, Page::feedback},
      {"the setup guide keeps its page", false, true, Page::feedback},
  };
  for (const auto& row : rows) {
    shell->popover()->hide();
    engine().setSelectedPage(Page::feedback);
    engine().setRuleEditor(row.editor ? std::optional(LocationRule{}) : std::nullopt);
    engine().setShowSetup(row.setup);
    shell->applicationShouldHandleReopen();
    EXPECT_TRUE(shown()) << row.reason;
    EXPECT_EQ(engine().selectedPage().get(), row.expected) << row.reason;
  }
}

TEST_F(ShellTest, RuleChangesCloseThePanelOnceAfterTheLastOnlyWhereItMayApply) {
  sim.defaults.setBool(AppDelegate::shownKey, true);
  writeSettings(engineOn());
  startShell();
  struct Row {
    const char* reason;
    bool engineOn;
    Page page;
    bool closes;
  };
  const Row rows[] = {
      {"engine on, overview", true, Page::overview, true},
      {"engine on, rules page", true, Page::rules, true},
      {"the feedback page stays open", true, Page::feedback, false},
      {"an engine that is off applies nothing", false, Page::overview, false},
  };
  for (const auto& row : rows) {
    Preferences preferences = engine().preferences().get();
    preferences.engineEnabled = row.engineOn;
    engine().setPreferences(preferences);
    shell->showWindow(false);
    engine().setSelectedPage(row.page);
    changeRules();
    advance(0.2);
    changeRules();
    advance(0.44);
    EXPECT_TRUE(shown()) << row.reason << ": not before 0.45 s after the second change";
    advance(0.02);
    EXPECT_EQ(!shown(), row.closes) << row.reason;
  }
}

TEST_F(ShellTest, QuitEndsOnlyAfterTheRunningScriptAndEverySave) {
  sim.defaults.setBool(AppDelegate::shownKey, true);
  writeSettings(engineOn());
  openFolder(pictures);
  sim.mac.setEventLatency(3);
  startShell();
  advance(2.5);
  changeRules();
  shell->quit();
  advance(1);
  EXPECT_FALSE(terminated) << "a script is still running";
  advance(5);
  EXPECT_TRUE(terminated);
  const auto saved = Storage::read<Preferences>(storageFolder() / "preferences.json");
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->rules.size(), 1u) << "the last change was saved before the end";
  shell.reset();
}

TEST_F(ShellTest, WithoutAStatusBarThePanelIsAWindowWhoseClosingQuits) {
  startShell(false);
  EXPECT_EQ(shell->statusItem(), nullptr);
  advance(0.6);
  ASSERT_TRUE(shown());
  EXPECT_EQ(shell->popover()->kind(), PanelWindow::Kind::window);
  shell->popover()->close();
  advance(3);
  EXPECT_TRUE(terminated);
  shell.reset();
}

TEST(ProgramTest, SelfTestStartsNoShell) {
  const auto windows = QApplication::topLevelWidgets().size();
  std::ostringstream out;
  char name[] = "tidyframe";
  char selfTest[] = "--self-test";
  char* argv[] = {name, selfTest};
  EXPECT_EQ(runProgram(2, argv, out), 0) << out.str();
  EXPECT_NE(out.str().find("self-test"), std::string::npos);
  EXPECT_EQ(QApplication::topLevelWidgets().size(), windows) << "no panel and no window were made";
}

}  // namespace
}  // namespace tidyframe
