#include <QTest>

#include "app/app_delegate.h"
#include "app/program.h"
#include "engine/engine_fixture.h"
#include "storage/storage.h"
#include "ui/activity_view.h"
#include "ui/feedback_view.h"
#include "ui/panel_parts.h"
#include "ui/locations_view.h"
#include "ui/panel_window.h"
#include "ui/root_view.h"
#include "ui/rule_editor_view.h"
#include "ui/settings_menu.h"

namespace tidyframe {
namespace {

// The application shell over the simulated Mac in virtual time; `terminated` says the event
// loop was asked to end.
class ShellTest : public EngineTest {
 protected:
  ~ShellTest() override {
    if (shell && !terminated) quitAndWait();
  }

  void startShell(bool statusBar = true) {
    tables.setLanguage("zh-Hans");
    host = std::make_unique<SimulatedEngineHost>(dispatch, sim, tables, storageFolder(), home(), &diagnostics);
    shell = std::make_unique<AppDelegate>(ShellServices{host->services(), host->updateServices(), sim.defaults,
                                                        [this] {
                                                          terminated = true;
                                                          if (onTerminate) onTerminate();
                                                        },
                                                        statusBar});
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
  bool panelShown() const { return shell->popoverShown(); }
  void changeRules() {
    Preferences preferences = engine().preferences().get();
    preferences.rules.push_back(LocationRule{});
    engine().setPreferences(preferences);
  }

  std::unique_ptr<AppDelegate> shell;
  bool terminated = false;
  std::function<void()> onTerminate;
};

TEST_F(ShellTest, FirstLaunchOpensThePanelOnceAfterHalfASecond) {
  startShell();
  advance(0.4);
  EXPECT_FALSE(panelShown()) << "not before half a second";
  advance(0.2);
  EXPECT_TRUE(panelShown());
  quitAndWait();
  terminated = false;
  startShell();
  advance(2);
  EXPECT_FALSE(panelShown()) << "a second launch waits for a click";
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
    EXPECT_TRUE(panelShown()) << row.reason;
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
      {"so does the activity page", true, Page::activity, false},
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
    EXPECT_TRUE(panelShown()) << row.reason << ": not before 0.45 s after the second change";
    advance(0.02);
    EXPECT_EQ(!panelShown(), row.closes) << row.reason;
  }
}

TEST_F(ShellTest, QuitEndsOnlyAfterTheRunningScriptAndEverySave) {
  sim.defaults.setBool(AppDelegate::shownKey, true);
  writeSettings(engineOn());
  openFolder(pictures);
  startShell();
  // The arrangement script is about to start: change a rule and quit while it runs.
  auto quitMidScript = engine().busy().subscribe([&](bool busy) {
    if (!busy || shell->model()->preferences()->rules.size() > 0) return;
    changeRules();
    dispatch.main().asyncAfter(0.01, [&] { shell->quit(); });
  });
  onTerminate = [&] {
    EXPECT_TRUE(shown(pictures).grouped) << "ended before the running script finished";
    const auto saved = Storage::read<Preferences>(storageFolder() / "preferences.json");
    EXPECT_EQ(saved ? saved->rules.size() : 0, 1u) << "ended before the last change was saved";
  };
  advance(10);
  EXPECT_TRUE(terminated);
}

TEST_F(ShellTest, WithoutAStatusBarThePanelIsAWindowWhoseClosingQuits) {
  startShell(false);
  EXPECT_EQ(shell->statusItem(), nullptr);
  advance(0.6);
  ASSERT_TRUE(panelShown());
  EXPECT_EQ(shell->popover()->kind(), PanelWindow::Kind::window);
  shell->popover()->close();
  advance(3);
  EXPECT_TRUE(terminated);
}

// A person at the panel over the simulated Mac: a rule made through the widgets reaches the
// front Finder window once the panel has closed and applied.
TEST_F(ShellTest, ThroughThePanelARuleReachesTheFrontWindowAfterTheCloseAndApply) {
  sim.defaults.setBool(AppDelegate::shownKey, true);
  writeSettings(engineOn());
  startShell();
  RootView& panel = *shell->popover()->panel();
  openFolder(documents);
  shell->showWindow(true);
  engine().setSelectedPage(Page::rules);
  // A folder chosen in the folder panel, grouped by size in the rule editor and saved.
  sim.alerts.answerPanel(documents);
  panel.locations().addMenu().actions().front()->trigger();
  GroupPickers& pickers = panel.ruleEditor().pickers();
  pickers.groupingBox().setCurrentIndex(6);
  emit pickers.groupingBox().activated(6);
  QTest::mouseClick(&panel.ruleEditor().saveButton(), Qt::LeftButton);
  advance(0.44);
  EXPECT_TRUE(panelShown()) << "the panel waits 0.45 s";
  advance(3);
  EXPECT_FALSE(panelShown());
  EXPECT_EQ(shown(documents), (FolderArrangement{true, ArrangeKey::size, ArrangeKey::name}));
}

// Escape leads back from an inner page to the overview, then closes the popover; an ordinary
// window stays, as closing it would quit.
TEST_F(ShellTest, EscapeLeadsBackThenClosesOnlyAPopover) {
  sim.defaults.setBool(AppDelegate::shownKey, true);
  for (const bool statusBar : {true, false}) {
    SCOPED_TRACE(statusBar ? "popover" : "window");
    terminated = false;
    startShell(statusBar);
    shell->showWindow(true);
    RootView& panel = *shell->popover()->panel();
    const std::pair<Page, QWidget*> pages[] = {{Page::rules, &panel.locations().search()},
                                               {Page::activity, &panel.activity().exportButton()},
                                               {Page::feedback, &panel.feedback().editor()}};
    for (const auto& [page, inside] : pages) {
      engine().setSelectedPage(page);
      QTest::keyClick(inside, Qt::Key_Escape);
      EXPECT_EQ(engine().selectedPage().get(), Page::overview) << static_cast<int>(page);
      EXPECT_TRUE(panelShown());
    }
    QTest::keyClick(&panel.header().masterSwitch(), Qt::Key_Escape);
    EXPECT_EQ(panelShown(), !statusBar);
    advance(1);
    EXPECT_FALSE(terminated);
    quitAndWait();
  }
}

// A person at the panel over the simulated Mac: the folder's arrangement shows in the log,
// undoing it closes the panel, puts the Finder's previous grouping back in that window and
// pauses the engine, and the exported log reads back as the engine holds it.
TEST_F(ShellTest, ThroughTheActivityPageAnArrangementIsUndoneAndTheLogExported) {
  sim.defaults.setBool(AppDelegate::shownKey, true);
  writeSettings(engineOn());
  openFolder(pictures);
  startShell();
  advance(6);
  ASSERT_EQ(shown(pictures), kindByName);
  RootView& panel = *shell->popover()->panel();
  shell->showWindow(true);
  QTest::mouseClick(&panel.footer().activityButton(), Qt::LeftButton);
  ActivityView& page = panel.activity();
  ASSERT_FALSE(page.rows().empty());
  ActivityRow& row = *page.rows().front();
  EXPECT_EQ(row.folder().toolTip().toStdString(), "~/Pictures");
  ASSERT_FALSE(row.undoButton().isHidden());
  QTest::mouseClick(&row.undoButton(), Qt::LeftButton);
  EXPECT_FALSE(panelShown()) << "the Finder comes forward";
  advance(2);
  EXPECT_EQ(shown(pictures), FolderArrangement{});
  EXPECT_FALSE(engine().preferences()->engineEnabled);
  shell->showWindow(false);
  EXPECT_EQ(page.rows().front()->title().fullText().toStdString(), tables.t("已恢复上次显示设置"));
  const auto exported = root / "exported.json";
  sim.alerts.answerPanel(exported.string());
  QTest::mouseClick(&page.exportButton(), Qt::LeftButton);
  EXPECT_EQ(Storage::read<std::vector<ActivityEntry>>(exported), std::optional(engine().activities().get()));
}

TEST(ProgramTest, TheSelfTestStartsNoShellAndAMacUsesItsNativeServicesUnlessTold) {
  const struct {
    std::vector<std::string> arguments;
    int status;
    std::string used;
    const char* why;
  } rows[] = {
      {{"tidyframe", "--diagnostics"}, 7, "run-diagnostics ", "the application runs over the native services"},
      {{"tidyframe", "--self-test"}, 1, "check ", "a native service that does not answer fails the self-check"},
      {{"tidyframe", "--self-test", "--simulated"}, 0, "", "the simulated Mac alone, as off macOS"},
  };
  const auto windows = QApplication::topLevelWidgets().size();
  for (auto row : rows) {
    // Which of a Mac's native entries the program used.
    std::string used;
    const NativeEntry native{[&used](std::ostream&) {
                               used += "check ";
                               return false;
                             },
                             [&used](int, char**, bool diagnostics, const std::vector<std::filesystem::path>&) {
                               used += diagnostics ? "run-diagnostics " : "run ";
                               return 7;
                             }};
    std::vector<char*> argv;
    for (auto& argument : row.arguments) argv.push_back(argument.data());
    std::ostringstream out;
    const int status = runProgram(static_cast<int>(argv.size()), argv.data(), out, &native);
    EXPECT_EQ(status, row.status) << row.why << "\n" << out.str();
    EXPECT_EQ(used, row.used) << row.why;
  }
  EXPECT_EQ(QApplication::topLevelWidgets().size(), windows) << "no panel and no window were made";
}

}  // namespace
}  // namespace tidyframe
