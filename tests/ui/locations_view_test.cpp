#include <QTest>

#include "ui/locations_view.h"
#include "ui/panel_fixture.h"
#include "ui/rule_editor_view.h"
#include "ui/setup_view.h"

namespace tidyframe {
namespace {

class LocationsTest : public PanelTest {
 protected:
  // Shortcuts answer only in the active window.
  void activate() {
    panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
  }
  LocationsView& page() {
    model->setSelectedPage(Page::rules);
    return panel->locations();
  }
  QStringList names() {
    QStringList shown;
    for (LocationRow* row : page().rows()) shown << QString::fromStdString(row->rule ? row->rule->name : row->volume->name);
    return shown;
  }
};

TEST_F(LocationsTest, EmptyLinesAndFoldedSearch) {
  openPanel();
  EXPECT_EQ(page().emptyLine().text().toStdString(), "尚未添加规则");
  Preferences preferences = model->preferences().get();
  preferences.rules = {pathRule("/Users/demo/STRASSE"), pathRule(documents + "/Café")};
  model->setPreferences(preferences);
  struct Row {
    const char* reason;
    const char* search;
    QStringList shown;
  };
  const Row rows[] = {
      {"full case folding", "straße", {"STRASSE"}},
      {"the path counts too", "documents", {"Café"}},
      {"capital accent", "CAFÉ", {"Café"}},
      {"accents are kept", "cafe", {}},
  };
  for (const auto& row : rows) {
    page().search().setText(QString::fromUtf8(row.search));
    EXPECT_EQ(names(), row.shown) << row.reason;
  }
  EXPECT_EQ(page().emptyLine().text().toStdString(), "没有匹配的位置");
}

TEST_F(LocationsTest, DeviceRuleByUuidHidesItsVolumeAlsoAfterARename) {
  SimHome::insertCard(sim.volumes, card);
  openPanel();
  EXPECT_EQ(names(), QStringList{"SD"}) << "an unconfigured card is a device row";
  QTest::mouseClick(&page().rows().front()->button(), Qt::LeftButton);
  ASSERT_TRUE(model->ruleEditor()->has_value()) << "自定义规则 opens the editor";
  QTest::mouseClick(&panel->ruleEditor().saveButton(), Qt::LeftButton);
  EXPECT_EQ(model->preferences()->rules.size(), 1u);
  EXPECT_EQ(names(), QStringList{"SD"}) << "now only as the rule's row";
  sim.volumes.unmount(card);
  SimHome::insertCard(sim.volumes, "/Volumes/Renamed");
  model->refreshVolumes();
  advance(1);
  EXPECT_EQ(names(), QStringList{"SD"}) << "still matched by UUID";
  EXPECT_EQ(page().rows().front()->toolTip().toStdString(), "/Volumes/Renamed") << "the tooltip follows the mount";
}

TEST_F(LocationsTest, SwitchingARuleOffChangesOnlyItsFlag) {
  openPanel();
  Preferences preferences = model->preferences().get();
  preferences.rules = {pathRule(pictures), pathRule(documents)};
  model->setPreferences(preferences);
  QTest::mouseClick(&page().rows().front()->enabledSwitch(), Qt::LeftButton);
  preferences.rules.front().enabled = false;
  EXPECT_EQ(model->preferences()->rules, preferences.rules) << "same order, same fields, one flag";
}

TEST_F(LocationsTest, EditorKeepsPickerValuesCancelsOnEscapeSavesOnReturnAndAsksBeforeDeleting) {
  openPanel();
  activate();
  model->setRuleEditor(pathRule(pictures));
  RuleEditorView& editor = panel->ruleEditor();
  EXPECT_TRUE(editor.deleteButton().isHidden()) << "a new rule has nothing to delete";
  EXPECT_EQ(editor.title().text().toStdString(), "添加专属规则");
  editor.pickers().groupingBox().setCurrentIndex(2);
  emit editor.pickers().groupingBox().activated(2);
  const Grouping chosen = editor.workingCopy().grouping;
  for (const int mode : {1, 0}) {
    editor.modePicker().setCurrentIndex(mode);
    emit editor.modePicker().activated(mode);
  }
  EXPECT_EQ(editor.pickers().grouping(), chosen) << "hidden and shown again, the value stays";
  QTest::keyClick(&editor.nameField(), Qt::Key_Escape);
  EXPECT_FALSE(model->ruleEditor()->has_value());
  EXPECT_TRUE(model->preferences()->rules.empty()) << "cancelling drops the copy";
  model->setRuleEditor(pathRule(pictures));
  EXPECT_EQ(editor.pickers().viewBox().currentText().toStdString(), "跟随默认") << "a rule without a view";
  editor.pickers().viewBox().setCurrentIndex(3);
  emit editor.pickers().viewBox().activated(3);
  QTest::keyClick(&editor.nameField(), Qt::Key_Return);
  ASSERT_EQ(model->preferences()->rules.size(), 1u) << "Return saves";
  EXPECT_EQ(model->preferences()->rules.front().view, FinderViewChoice::list) << "after As the default and Keep";
  model->setRuleEditor(model->preferences()->rules.front());
  EXPECT_EQ(editor.title().text().toStdString(), "编辑规则");
  sim.alerts.pressInAlert(SimAlerts::AlertKey::returnKey);
  QTest::mouseClick(&editor.deleteButton(), Qt::LeftButton);
  EXPECT_EQ(model->preferences()->rules.size(), 1u) << "Return in the alert answers Cancel";
  sim.alerts.answerAlert(Alerts::firstButton);
  QTest::mouseClick(&editor.deleteButton(), Qt::LeftButton);
  EXPECT_TRUE(model->preferences()->rules.empty());
  EXPECT_EQ(sim.alerts.alerts().back().message, "删除这条专属规则？");
}

TEST_F(LocationsTest, SetupGuideShowsEachPermissionAndClosesOnEscape) {
  sim.mac.setAutomation("Finder", AutomationConsent::refused);
  openPanel();
  activate();
  advance(4);
  model->setShowSetup(true);
  SetupView& guide = panel->setup();
  EXPECT_EQ(guide.accessibilitySymbol().symbol(), "checkmark.circle");
  EXPECT_TRUE(guide.accessibilityButton().isHidden()) << "granted: a check mark, no button";
  EXPECT_EQ(guide.automationSymbol().symbol(), "2.circle");
  EXPECT_FALSE(guide.automationButton().isHidden());
  EXPECT_EQ(guide.automationButton().text().toStdString(), "查看权限");
  QTest::keyClick(&guide.startButton(), Qt::Key_Escape);
  EXPECT_FALSE(model->showSetup().get()) << "Escape is 稍后";
}

}  // namespace
}  // namespace tidyframe
