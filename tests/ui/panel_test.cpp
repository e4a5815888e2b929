#include <fstream>

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>

#include <QAccessible>
#include <QScrollBar>

#include "storage/storage.h"
#include "ui/activity_view.h"
#include "ui/feedback_view.h"
#include "ui/locations_view.h"
#include "ui/panel_fixture.h"
#include "ui/panel_parts.h"
#include "ui/rule_editor_view.h"
#include "ui/setup_view.h"
#include "ui/status_line.h"

namespace tidyframe {
namespace {

// Every page's own height is pinned by its reviewed screenshot; these are the rules around them.
TEST(WidgetLayoutTest, OverviewHeightIsPartsPlusTwelveRoundedUpAtLeast330AndTheEditorWinsOverTheGuide) {
  struct Row {
    const char* reason;
    double height, expected;
  };
  const Row rows[] = {
      {"short content keeps the minimum", WidgetLayout::overviewHeight(200), 330},
      {"a fraction rounds up", WidgetLayout::overviewHeight(340.2), 353},
      {"exactly at the minimum", WidgetLayout::overviewHeight(318), 330},
      {"the editor shows over the guide", WidgetLayout::height({true, true, Page::feedback, 360}), 490},
      {"the activity page is as high as the rules page", WidgetLayout::height({false, false, Page::activity, 360}), 330},
  };
  for (const auto& row : rows) EXPECT_EQ(row.height, row.expected) << row.reason;
  EXPECT_FALSE(WidgetLayout::overviewHeightMoved(352, 352.5)) << "half a point is jitter";
  EXPECT_TRUE(WidgetLayout::overviewHeightMoved(352, 353)) << "a whole point is a change";
}

TEST_F(PanelTest, MasterSwitchAsksTheEngineAndShowsTheStoredSetting) {
  openPanel();
  Switch& master = panel->header().masterSwitch();
  const auto storedAndShown = [&] { return std::pair(model->preferences()->engineEnabled, master.isChecked()); };
  QTest::mouseClick(&master, Qt::LeftButton);
  EXPECT_FALSE(master.isChecked()) << "the click alone does not turn the engine on";
  EXPECT_TRUE(master.isPending()) << "it shows that it is starting while the check runs";
  advance(3);
  EXPECT_EQ(storedAndShown(), std::pair(true, true)) << "start() turned it on";
  EXPECT_FALSE(master.isPending());
  QTest::mouseClick(&master, Qt::LeftButton);
  EXPECT_EQ(storedAndShown(), std::pair(false, false)) << "pause() turned it off";
  EXPECT_EQ(activityTitles().front(), "自动分组已暂停");
}

TEST_F(PanelTest, PermissionButtonShowsUntilBothPermissionsAndNoEarlierService) {
  sim.mac.setAccessibilityTrusted(false);
  SimLaunchd::writeAgentFile(home() / "Library/LaunchAgents/local.plumbline.plist", "local.plumbline");
  sim.launchd.load("local.plumbline", home() / "Library/LaunchAgents/local.plumbline.plist");
  openPanel();
  QPushButton& button = panel->quickControls().permissionButton();
  EXPECT_FALSE(button.isHidden()) << "accessibility missing";
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_TRUE(model->showSetup().get()) << "the button opens the setup guide";
  model->setShowSetup(false);
  sim.mac.setAccessibilityTrusted(true);
  model->refreshEnvironment(false);
  advance(1);
  EXPECT_FALSE(button.isHidden()) << "the earlier service still runs";
  sim.launchd.command("/bin/launchctl", {"bootout", "gui/501/local.plumbline"}, 1);
  model->refreshLegacy();
  advance(1);
  EXPECT_TRUE(button.isHidden()) << "everything granted, nothing running";
}

TEST_F(PanelTest, RuleCountUsesTheLocaleDigitsAndHidesWithoutRules) {
  openPanel();
  EXPECT_TRUE(panel->footer().ruleCount().isHidden()) << "no rules, no number";
  Preferences preferences = model->preferences().get();
  preferences.language = "ar";
  preferences.rules.resize(12);
  model->setPreferences(preferences);
  EXPECT_EQ(panel->footer().ruleCount().text().toStdString(), "١٢");
}

// The overview's measured height is pinned by its reviewed screenshots.
TEST_F(PanelTest, EditorThenGuideThenPages) {
  sim.mac.setAccessibilityTrusted(false);
  openPanel();
  model->setRuleEditor(LocationRule{});
  model->setShowSetup(true);
  EXPECT_EQ(panel->currentContent(), &panel->ruleEditorContent()) << "the editor wins over the guide";
  model->setRuleEditor(std::nullopt);
  EXPECT_EQ(panel->currentContent(), &panel->setupContent());
  model->setShowSetup(false);
  model->setSelectedPage(Page::rules);
  EXPECT_FALSE(panel->header().backButton().isHidden()) << "inner pages lead back";
  QTest::mouseClick(&panel->header().backButton(), Qt::LeftButton);
  EXPECT_EQ(model->selectedPage().get(), Page::overview);
}

TEST_F(PanelTest, FeedbackButtonsWaitForADraftAndCopyingSaysSoUntilTheDraftChanges) {
  openPanel();
  model->setSelectedPage(Page::feedback);
  FeedbackView& view = panel->feedback();
  const auto enabled = [&view] { return std::pair(view.copyButton().isEnabled(), view.saveButton().isEnabled()); };
  EXPECT_EQ(enabled(), std::pair(false, false));
  QTest::keyClicks(&view.editor(), "x");
  EXPECT_EQ(enabled(), std::pair(true, true)) << "one character is enough";
  QTest::mouseClick(&view.copyButton(), Qt::LeftButton);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "x\n\nTidyframe 1.0\nmacOS 14.5");
  EXPECT_EQ(view.copyButton().text().toStdString(), "已复制");
  QTest::keyClicks(&view.editor(), "y");
  EXPECT_EQ(view.copyButton().text().toStdString(), "复制反馈") << "a changed draft is not copied yet";
}

// What is written, or cancelled, the report's own tests show; the page shows why a save failed.
TEST_F(PanelTest, FeedbackFailedSaveShowsWhy) {
  openPanel();
  model->setSelectedPage(Page::feedback);
  FeedbackView& view = panel->feedback();
  model->setFeedbackDraft("hello");
  EXPECT_TRUE(view.errorLine().isHidden());
  const auto blocker = root / "a-file";
  std::ofstream(blocker) << "x";
  sim.alerts.answerPanel((blocker / "Finder-feedback.txt").string());
  QTest::mouseClick(&view.saveButton(), Qt::LeftButton);
  EXPECT_FALSE(view.errorLine().isHidden()) << "a write under a regular file fails";
  EXPECT_TRUE(view.errorLine().text().startsWith("反馈保存失败："));
}

// Each row changes one thing and expects what the line under the header says then.
TEST_F(PanelTest, StatusLineSaysWhatTheEngineDoesMostPressingFirst) {
  SimLaunchd::writeAgentFile(home() / "Library/LaunchAgents/local.plumbline.plist", "local.plumbline");
  sim.launchd.load("local.plumbline", home() / "Library/LaunchAgents/local.plumbline.plist");
  openPanel();
  StatusLine& line = panel->statusLine();
  struct Row {
    const char* reason;
    std::function<void()> change;
    StatusLine::State state;
    std::string folder, text;
  };
  const Row rows[] = {
      {"the earlier service runs, though grouping is off", [] {}, StatusLine::State::legacyRunning, "", "旧版服务仍在运行"},
      {"then grouping is off",
       [&] {
         sim.launchd.command("/bin/launchctl", {"bootout", "gui/501/local.plumbline"}, 1);
         model->refreshLegacy();
       },
       StatusLine::State::paused, "", "自动分组已暂停"},
      {"then a permission is missing",
       [&] {
         sim.mac.setAccessibilityTrusted(false);
         changeSettings([](Preferences& p) { p.engineEnabled = true; });
         model->refreshEnvironment(false);
       },
       StatusLine::State::permissionMissing, "", "缺少权限，请点按下方的“检查权限”"},
      {"no folder seen yet",
       [&] {
         sim.mac.setAccessibilityTrusted(true);
         model->refreshEnvironment(false);
       },
       StatusLine::State::waiting, "", "等待打开访达文件夹"},
      {"a folder and where its arrangement comes from", [&] { openFolder(pictures); }, StatusLine::State::folder,
       "Pictures", "· 全局默认"},
      {"an excluded place says so",
       [&] { changeSettings([](Preferences& p) { p.rules = {pathRule(pictures, Grouping::kind, true)}; }); },
       StatusLine::State::folder, "Pictures", "· 此位置已排除"},
  };
  for (const auto& row : rows) {
    row.change();
    advance(3);
    EXPECT_EQ(StatusLine::stateOf(*model), row.state) << row.reason;
    EXPECT_EQ(line.folder().isHidden() ? "" : line.folder().fullText().toStdString(), row.folder) << row.reason;
    EXPECT_EQ(line.text().fullText().toStdString(), row.text) << row.reason;
    EXPECT_EQ(line.action().isHidden(), row.state != StatusLine::State::legacyRunning) << row.reason;
  }
  EXPECT_EQ(line.folder().toolTip().toStdString(), "~/Pictures") << "the whole path is in the tooltip";
}

TEST_F(PanelTest, StatusLineHandsOverFromTheEarlierService) {
  SimLaunchd::writeAgentFile(home() / "Library/LaunchAgents/local.plumbline.plist", "local.plumbline");
  sim.launchd.load("local.plumbline", home() / "Library/LaunchAgents/local.plumbline.plist");
  openPanel();
  QTest::mouseClick(&panel->statusLine().action(), Qt::LeftButton);
  advance(1);
  ASSERT_EQ(sim.alerts.alerts().size(), 1u) << "start() asks before it takes over";
  EXPECT_EQ(sim.alerts.alerts().front().message, "由新版接管自动分组？");
}

// The arrangement of Pictures, then a failure and a pause: newest first, the failure marked,
// undo only on the arrangement and never while the engine is busy, times told anew as the
// engine's clock moves.
TEST_F(PanelTest, ActivityPageListsNewestFirstMarksFailuresAndOffersUndoWhereTheEngineCan) {
  openFolder(pictures);
  openPanel();
  model->setSelectedPage(Page::activity);
  ActivityView& view = panel->activity();
  EXPECT_TRUE(view.rows().empty());
  EXPECT_FALSE(view.emptyLine().isHidden()) << "an empty log says so";
  changeSettings([](Preferences& p) { p.engineEnabled = true; });
  advance(6);
  AppModelTestPeer::fail(*model, ScriptFailure{-2700, "此系统语言暂未支持该排序选项"});
  AppModelTestPeer::log(*model, "自动分组已暂停");
  ASSERT_EQ(view.rows().size(), 3u);
  EXPECT_TRUE(view.emptyLine().isHidden());
  std::vector<std::string> titles, symbols;
  std::vector<bool> undoable;
  for (ActivityRow* row : view.rows()) {
    titles.push_back(row->title().fullText().toStdString());
    symbols.push_back(row->symbol().symbol());
    undoable.push_back(!row->undoButton().isHidden());
  }
  EXPECT_EQ(titles, activityTitles());
  EXPECT_EQ(symbols, (std::vector<std::string>{"checkmark.circle", "exclamationmark.triangle", "checkmark.circle"}));
  EXPECT_EQ(undoable, (std::vector<bool>{false, false, true}));
  const auto arranged = [&view]() -> ActivityRow& { return *view.rows().back(); };
  EXPECT_EQ(arranged().folder().toolTip().toStdString(), "~/Pictures");
  EXPECT_EQ(arranged().time().text().toStdString(), "现在");
  advance(150);
  EXPECT_EQ(arranged().time().text().toStdString(), "2分钟前") << "the shown page follows the engine's clock";
  model->restoreCurrentFolder();
  EXPECT_FALSE(arranged().undoButton().isEnabled()) << "busy";
  advance(10);
  EXPECT_TRUE(arranged().undoButton().isEnabled());
}

// The switch shows that it has the focus, and Tab moves on from the feedback text instead of
// typing a tab into it.
TEST_F(PanelTest, TheFocusedSwitchShowsItAndTabLeavesTheFeedbackEditor) {
  openPanel();
  panel->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
  Switch& master = panel->header().masterSwitch();
  master.clearFocus();
  const QImage unfocused = master.grab().toImage();
  master.setFocus(Qt::MouseFocusReason);
  EXPECT_EQ(master.grab().toImage(), unfocused) << "a click shows no ring";
  QTest::keyClick(&master, Qt::Key_Tab);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  ASSERT_TRUE(master.hasFocus());
  EXPECT_NE(master.grab().toImage(), unfocused) << "the keyboard's focus shows";
  model->setSelectedPage(Page::feedback);
  QPlainTextEdit& editor = panel->feedback().editor();
  editor.setFocus(Qt::TabFocusReason);
  QTest::keyClick(&editor, Qt::Key_Tab);
  EXPECT_NE(QApplication::focusWidget(), &editor);
  EXPECT_EQ(model->feedbackDraft().get(), "");
}

// A full log opens with one batch of rows; scrolling to the end adds the next.
TEST_F(PanelTest, AFullLogIsBuiltInBatchesAsItIsScrolled) {
  ActivityEntry pause;
  pause.title = "自动分组已暂停";
  std::filesystem::create_directories(storageFolder());
  ASSERT_TRUE(Storage::save(std::vector<ActivityEntry>(500, pause), storageFolder() / Storage::activityFile));
  openPanel();
  model->setSelectedPage(Page::activity);
  ActivityView& view = panel->activity();
  ASSERT_EQ(view.rows().size(), ActivityView::batch);
  QApplication::processEvents();
  QScrollBar& bar = *view.list().verticalScrollBar();
  bar.setValue(bar.maximum());
  EXPECT_EQ(view.rows().size(), 2 * ActivityView::batch);
}

}  // namespace
}  // namespace tidyframe
