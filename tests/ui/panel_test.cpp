#include <QComboBox>
#include <QLabel>
#include <QTest>

#include "ui/panel_parts.h"
#include "ui/panel_fixture.h"

namespace tidyframe {
namespace {

// Every page's own height is pinned by its reviewed screenshot; none shows the editor over the guide.
TEST(WidgetLayoutTest, TheEditorWinsOverTheGuide) {
  EXPECT_EQ(WidgetLayout::height({true, true, Page::feedback, 360}), 490);
}

TEST(WidgetLayoutTest, OverviewHeightIsPartsPlusTwelveRoundedUpAtLeast330) {
  struct Row {
    const char* reason;
    double parts, height;
  };
  const Row rows[] = {
      {"short content keeps the minimum", 200, 330},
      {"a fraction rounds up", 340.2, 353},
      {"exactly at the minimum", 318, 330},
  };
  for (const auto& row : rows) EXPECT_EQ(WidgetLayout::overviewHeight(row.parts), row.height) << row.reason;
  EXPECT_FALSE(WidgetLayout::overviewHeightMoved(352, 352.5)) << "half a point is jitter";
  EXPECT_TRUE(WidgetLayout::overviewHeightMoved(352, 353)) << "a whole point is a change";
}

TEST_F(PanelTest, MasterSwitchAsksTheEngineAndShowsTheStoredSetting) {
  openPanel();
  Switch& master = panel->header().masterSwitch();
  QTest::mouseClick(&master, Qt::LeftButton);
  EXPECT_FALSE(master.isChecked()) << "the click alone does not turn the engine on";
  advance(3);
  EXPECT_TRUE(model->preferences()->engineEnabled) << "start() turned it on";
  EXPECT_TRUE(master.isChecked());
  QTest::mouseClick(&master, Qt::LeftButton);
  EXPECT_FALSE(model->preferences()->engineEnabled) << "pause() turned it off";
  EXPECT_EQ(activityTitles().front(), "自动分组已暂停");
  EXPECT_FALSE(master.isChecked());
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

TEST_F(PanelTest, EditorThenGuideThenPagesAndMeasuredOverview) {
  sim.mac.setAccessibilityTrusted(false);
  openPanel();
  const double plain = model->overviewHeight().get();
  model->setMessage("辅助功能权限未开启");
  EXPECT_GT(model->overviewHeight().get(), plain) << "a banner makes the overview taller";
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

}  // namespace
}  // namespace tidyframe
