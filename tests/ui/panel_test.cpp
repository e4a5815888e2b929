#include <fstream>

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>

#include "ui/feedback_view.h"
#include "ui/panel_fixture.h"
#include "ui/panel_parts.h"

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

}  // namespace
}  // namespace tidyframe
